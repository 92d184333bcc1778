# strings: builds a text of up to 91 characters from digits and letters in each of n
# passes and compares it with the text of the pass before; the checksum adds lengths.
import sys


def main(n):
    total = 0
    prev = ""
    for p in range(1, n + 1):
        s = "v"
        length = 1
        for j in range(1, p % 10 + 2):
            s = s + str((p + j) % 10) + "abcdefgh"
            length = length + 9
        if s > prev:
            total = total + length
        else:
            total = total + 1
        prev = s
    print(total)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 20000)
