"""Test code-signing certificates, made at test time with openssl, and
executables signed with osslsigncode: a test root and two signers that carry
the same subject name (only their keys differ)."""
import os
import subprocess

SUBJECT = "/CN=Vexo Games Test Signer"


def _run(*args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Signers:
    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "signer.ext"), "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
        _run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3",
             "-keyout", "root.key", "-out", "root.crt", "-subj", "/CN=Vexo Test Root",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
             cwd=folder)
        for serial, name in enumerate(("a", "b"), start=1):
            _run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
                 "-subj", SUBJECT, cwd=folder)
            _run("openssl", "x509", "-req", "-in", f"{name}.csr", "-CA", "root.crt", "-CAkey", "root.key",
                 "-set_serial", str(serial), "-sha256", "-days", "3", "-extfile", "signer.ext",
                 "-out", f"{name}.crt", cwd=folder)
            with open(os.path.join(folder, f"{name}.chain.pem"), "w") as out:
                for part in (f"{name}.crt", "root.crt"):
                    with open(os.path.join(folder, part)) as f:
                        out.write(f.read())

    def sign(self, data, signer, description):
        """`data` signed by signer "a" or "b" (SHA-256, no timestamp)."""
        src = os.path.join(self.folder, "unsigned.exe")
        dst = os.path.join(self.folder, "signed.exe")
        with open(src, "wb") as f:
            f.write(data)
        if os.path.exists(dst):
            os.remove(dst)
        _run("osslsigncode", "sign", "-certs", f"{signer}.chain.pem", "-key", f"{signer}.key", "-h", "sha256",
             "-n", description, "-in", src, "-out", dst, cwd=self.folder)
        with open(dst, "rb") as f:
            return f.read()


RELEASE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "release.sh")


def release(data, folder, url, signers=None, signer="a"):
    """Publishes `data` the way a release is published (tools/release.sh
    --from): signed when signers are given; returns the executable's bytes
    and the key of the ConfigQuon.htm written for it."""
    os.makedirs(folder, exist_ok=True)
    src = os.path.join(folder, "built.exe")
    with open(src, "wb") as f:
        f.write(data)
    args = [RELEASE, "--from", src, "--url", url, "--out", folder]
    if signers:
        args += ["--key", os.path.join(signers.folder, f"{signer}.key"),
                 "--cert", os.path.join(signers.folder, f"{signer}.chain.pem")]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(folder, "VexoQuon.exe"), "rb") as f:
        exe = f.read()
    with open(os.path.join(folder, "ConfigQuon.htm"), newline="") as f:
        lines = f.read().split("\r\n")
    assert lines[0] == "[VerKey]" and lines[2] == "UpdAddr=" + url
    return exe, lines[1].split("=", 1)[1]
