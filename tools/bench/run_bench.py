#!/usr/bin/env python3
"""Measures the update download and the version key in one run, on one Wine
session, against one 20 MB file served by the platform stand-in on loopback:

  * the product's transfer routine (worker thread, PBM_SETPOS sent to a bar
    served by the UI thread), the whole progress dialog, a bare WinINet loop
    with 256 KiB reads (and the 512 B .. 1 MiB sweep), and curl;
  * the product's version key (the system's MD5 provider) against md5sum;
  * the check of a downloaded update before its swap (its own key and its
    Authenticode signature) on a 20 MB executable signed with osslsigncode,
    against md5sum of the same file.

Prints the figures and the ratios. Nothing is judged: goals are printed next
to the ratios.

    tools/bench/run_bench.py [--build build/win] [--port 47290] [--rounds 15] [--size-mb 20]
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "platform"))
from standin import PlatformServer  # noqa: E402

SESSION = os.path.join(ROOT, "tests", "wine", "session.sh")


def wine_env(state):
    subprocess.run([SESSION, "start", state], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = subprocess.run([SESSION, "env", state], check=True, capture_output=True, text=True).stdout
    env = dict(os.environ)
    for line in out.splitlines():
        for item in line.replace("export ", "").split(" "):
            if "=" in item:
                k, v = item.split("=", 1)
                env[k] = v.strip("'")
    return env


def make_signed_exe(exe, work, size):
    """The launcher padded to `size` bytes and signed with a throwaway
    certificate (openssl, osslsigncode), as a release would be."""
    sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
    from signing import Signers  # noqa: E402
    with open(exe, "rb") as f:
        data = f.read()
    data += os.urandom(max(0, size - len(data)))
    signed = os.path.join(work, "Signed.exe")
    with open(signed, "wb") as f:
        f.write(Signers(os.path.join(work, "certs")).sign(data, "a", "VexoQuon"))
    return signed


def timed(args, rounds):
    """The fastest of `rounds` runs (others only add the machine's other work)."""
    times = []
    for _ in range(rounds):
        t0 = time.monotonic()
        r = subprocess.run(args, capture_output=True)
        times.append(time.monotonic() - t0)
        if r.returncode != 0:
            raise RuntimeError(f"{args[0]} failed: {r.stderr.decode(errors='replace')}")
    return min(times), r.stdout


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "win"))
    ap.add_argument("--port", type=int, default=47290)
    ap.add_argument("--rounds", type=int, default=15)
    ap.add_argument("--size-mb", type=int, default=20)
    a = ap.parse_args()
    bench = os.path.join(a.build, "bench.exe")
    if not os.path.exists(bench):
        sys.exit(f"{bench} is missing: build the Windows tree first")

    work = tempfile.mkdtemp(prefix="vexo-bench-")
    data = os.urandom(a.size_mb * 1024 * 1024)
    blob = os.path.join(work, "Bench.bin")
    with open(blob, "wb") as f:
        f.write(data)
    signed = make_signed_exe(os.path.join(a.build, "VexoQuon.exe"), work, len(data))
    signed_size = os.path.getsize(signed)
    env = wine_env(os.path.join(a.build, "wine-session"))
    try:
        with PlatformServer(port=a.port) as srv:
            srv.publish("Bench", "k", data)
            url = f"{srv.url}/files/Bench.exe"
            r = subprocess.run(["wine", bench, url, "Z:" + blob.replace("/", "\\"), "Z:" + work.replace("/", "\\"),
                                str(a.rounds), "Z:" + signed.replace("/", "\\")], env=env, capture_output=True, stdin=subprocess.DEVNULL, timeout=600)
            text = r.stdout.decode(errors="replace")
            try:
                m = json.loads(text[text.index("{"):text.rindex("}") + 1])
            except ValueError:
                sys.exit(f"bench.exe said:\n{text}\n{r.stderr.decode(errors='replace')}")
            curl_s, _ = timed(["curl", "-s", "-o", os.path.join(work, "curl.bin"), url], a.rounds)
        md5sum_s, out = timed(["md5sum", blob], a.rounds)
        md5sum_signed_s, _ = timed(["md5sum", signed], a.rounds)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    md5sum_digest = out.split()[0].decode()

    mb = len(data) / 1e6

    def rate(s):
        return f"{mb / s:9.0f} MB/s" if s > 0 else "        -"

    print(f"{len(data)} bytes from the stand-in on loopback, fastest of {a.rounds} rounds, one Wine session")
    print(f"  product transfer routine (progress sent {m['progress_sends']} times) "
          f"{m['product_transfer_s']*1000:8.1f} ms {rate(m['product_transfer_s'])}  ok={m['ok']}")
    print(f"  product transfer routine without progress "
          f"{m['product_noprogress_s']*1000:8.1f} ms {rate(m['product_noprogress_s'])}")
    print(f"  product transfer routine on the calling thread, no progress "
          f"{m['product_direct_s']*1000:8.1f} ms {rate(m['product_direct_s'])}")
    print(f"  product progress dialog, whole (create, skin, threads, end) "
          f"{m['product_dialog_s']*1000:8.1f} ms {rate(m['product_dialog_s'])}")
    for name in ("bare_256k", "bare_256k_headers", "bare_256k_nowrite", "bare_512b", "bare_64k", "bare_128k", "bare_512k", "bare_1024k"):
        s = m[name + "_s"]
        print(f"  {name:<22} {s*1000:8.1f} ms {rate(s)}")
    print(f"  curl (Linux, to a file)   {curl_s*1000:8.1f} ms {rate(curl_s)}")
    print("ratios (throughput, higher is better)")
    print(f"  product / bare 256 KiB loop : {m['bare_256k_s'] / m['product_transfer_s']:.2f}  (goal >= 0.9)")
    print(f"  product / curl              : {curl_s / m['product_transfer_s']:.2f}")
    print(f"  bare 256 KiB / bare 512 B   : {m['bare_512b_s'] / m['bare_256k_s']:.1f}")
    print(f"version key of the same file: {m['version_key_s']*1000:.1f} ms in the product, "
          f"md5sum {md5sum_s*1000:.1f} ms (process included)")
    print(f"  product / md5sum            : {md5sum_s / m['version_key_s']:.2f}  (goal >= 1.0)")
    print(f"  CryptoAPI (the Windows XP provider) / md5sum : {md5sum_s / m['md5_cryptoapi_s']:.2f}")
    print(f"checking a {signed_size}-byte signed update "
          f"(own key + signature): {m['verify_signed_s']*1000:.1f} ms, md5sum alone {md5sum_signed_s*1000:.1f} ms")
    print(f"  check / md5sum              : {m['verify_signed_s'] / md5sum_signed_s:.2f}  (time, lower is better)")
    same = m["md5"] == md5sum_digest and m["key"] == md5sum_digest[:28] + "3011"
    print(f"  digest {m['md5']} {'equals' if same else 'DIFFERS FROM'} md5sum's; key {m['key']}")
    return 0 if same and m["ok"] else 1


if __name__ == "__main__":
    sys.exit(main())
