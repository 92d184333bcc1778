# members: reads and assigns the entries of a dict with fixed keys in a loop of n passes.
# Size: the first argument; prints the sum of the three entries as its checksum.
import sys


def main(n):
    p = {"x": 0, "y": 1, "z": 2}
    for i in range(1, n + 1):
        p["x"] = p["x"] + p["y"] % 5
        p["y"] = p["z"] + i % 4
        p["z"] = p["x"] % 9
    print(p["x"] + p["y"] + p["z"])


main(int(sys.argv[1]) if len(sys.argv) > 1 else 200000)
