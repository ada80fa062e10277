#!/usr/bin/env python3
"""Runs two commands (each after a "--") and checks that they print the
same lines: the native and the WebAssembly frames of a show. Prints how
many lines were compared and which differ."""
import subprocess
import sys


def main():
    args = sys.argv[1:]
    if len(args) < 3 or args[0] != "--" or args.count("--") != 2:
        sys.exit("usage: same_output.py -- COMMAND... -- COMMAND...")
    split = args.index("--", 1)
    outputs = [subprocess.run(cmd, check=True, capture_output=True, text=True).stdout.splitlines()
               for cmd in (args[1:split], args[split + 1:])]
    native, web = outputs
    differ = [(a, b) for a, b in zip(native, web) if a != b]
    print(f"{len(native)} lines compared, {len(differ)} differ")
    for a, b in differ[:20]:
        print(f"  native: {a}\n  web:    {b}")
    if not native or len(native) != len(web) or differ:
        sys.exit(1)


if __name__ == "__main__":
    main()
