# startup: does nearly nothing, so its time is the interpreter's start and exit.
# Size: the first argument, printed as the checksum.
import sys

print(int(sys.argv[1]) if len(sys.argv) > 1 else 1)
