# arith: arithmetic loop, x = x + i % 7 for i = 1 .. n, in a function as Python users write it.
# Size: the first argument; prints the sum as its checksum.
import sys


def main(n):
    x = 0
    for i in range(1, n + 1):
        x = x + i % 7
    print(x)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 1000000)
