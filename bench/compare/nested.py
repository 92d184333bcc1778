# nested: two counting loops of n passes each with an if/elif/else chain in the body.
# Size: the first argument (n * n inner passes); prints hits * 7 + total as its checksum.
import sys


def main(n):
    hits = 0
    total = 0
    for i in range(1, n + 1):
        for j in range(1, n + 1):
            if (i + j) % 3 == 0:
                hits = hits + 1
            elif i > j:
                total = total + i - j
            else:
                total = total + 1
    print(hits * 7 + total)


main(int(sys.argv[1]) if len(sys.argv) > 1 else 400)
