# lists: builds a list of n numbers by appending, then walks it twice, element by element
# and by index; 50 rounds. Size: the first argument (elements per list).
import sys


def main(n):
    total = 0
    for r in range(1, 51):
        values = []
        for i in range(1, n + 1):
            values.append((i * 7 + r) % 13)
        for v in values:
            total = total + v
        for k in range(len(values)):
            total = total + values[k] * (k % 3)
    print(total)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 1000)
