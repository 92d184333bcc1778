# sieve: the primes up to n by the sieve of Eratosthenes on a list of n + 1 ones, struck
# out by element assignment. Size: the first argument; prints the sum of the primes.
import sys


def main(n):
    s = [1] * (n + 1)
    total = 0
    for i in range(2, n + 1):
        if s[i] == 1:
            total = total + i
            if i * i <= n:
                for j in range(i * i, n + 1, i):
                    s[j] = 0
    print(total)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 100000)
