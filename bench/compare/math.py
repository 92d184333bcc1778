# math: sin and cos of degrees, sqrt, abs, rounding (floor of x + 0.5), min and max in a loop
# of n passes; only whole numbers are added up. Size: the first argument.
import math
import sys

DEGREES = 0.017453292519943295


def main(n):
    acc = 0
    for i in range(1, n + 1):
        s = math.sin(i * DEGREES) * 1000
        c = math.cos(i * 3 * DEGREES) * 1000
        r = math.sqrt(i) * 10
        acc = (acc + math.floor(abs(s) + r + 0.5) + math.floor(min(s, c) + 0.5)
               - math.floor(max(s, c) / 2 + 0.5))
    print(acc)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 100000)
