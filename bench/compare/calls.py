# calls: calls the function step n times (vesk calls a separate script file instead).
# Size: the first argument; prints the sum of the results as its checksum.
import sys


def step(k):
    return k * 2 % 7 + 1


def main(n):
    acc = 0
    for i in range(1, n + 1):
        acc = acc + step(i)
    print(acc)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 100000)
