"""The signed CD, with a throwaway root and code-signing certificate (throwaway-keys): demo/make-cd signs
setup.exe and, in the pack, the game's program and the uninstaller (SHA-1, then SHA-256 nested);
tools/check-cd matches the signed CD and its image against the unsigned CD and names a changed file; a bad
key ends make-cd with one line and leaves the last signed CD as it was.

usage: test_signing.py CD_DIR SCRATCH_DIR   (CD_DIR: the unsigned CD the build made)
"""

import hashlib
import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
MAKE_CD, CHECK_CD = ROOT / "demo" / "make-cd", ROOT / "tools" / "check-cd"
HXPACK = ROOT / "build" / "bin" / "hxpack"
SIGNED_IN_PACK = ("hxdemo.exe", "hxduninst.exe")
SIGNER = "signed by CN = Throwaway signer, O = Test CD Maker; the signature"


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def tree_hash(folder):
    digest = hashlib.sha256()
    for path in sorted(folder.rglob("*")):
        digest.update(str(path.relative_to(folder)).encode() + (path.read_bytes() if path.is_file() else b""))
    return digest.hexdigest()


class SignedCd(unittest.TestCase):
    cd = scratch = None

    @classmethod
    def setUpClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)
        cls.keys = cls.scratch / "keys"
        subprocess.run([ROOT / "tests" / "cd" / "throwaway-keys", cls.keys], check=True)
        cls.roots, cls.unsigned = cls.keys / "root.pem", cls.scratch / "cd"
        shutil.copytree(cls.cd, cls.unsigned)
        cls.signed, cls.image = cls.scratch / "cd-signed", cls.scratch / "hexbreakerdemo.iso"
        made = cls.make_cd(HX_SIGN_CERT=cls.keys / "signer.pem", HX_SIGN_KEY=cls.keys / "signer.key")
        assert made.returncode == 0, made.stderr

    @classmethod
    def make_cd(cls, **key):
        env = {name: value for name, value in os.environ.items() if not name.startswith("HX_SIGN_")}
        env.update({name: str(value) for name, value in key.items()}, HX_HXPACK=str(HXPACK))
        return run(MAKE_CD, cls.unsigned, cls.image, env=env)

    def verify(self, program):
        return run("osslsigncode", "verify", "-CAfile", self.roots, "-in", program)

    def check_cd(self, path):
        result = run(CHECK_CD, "--ca", self.roots, "--against", self.cd, path)
        return result.returncode, result.stdout, result.stderr

    def extracted_pack(self, cd, name):
        folder = self.scratch / name
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run([HXPACK, "extract", cd / "hxdemo.pak", folder], check=True, capture_output=True)
        return folder

    # That no other file is signed: check-cd names every signed file it finds, on the CD and in the pack,
    # and the next test expects the three alone.
    def test_the_three_programs_carry_both_signatures(self):
        pack = self.extracted_pack(self.signed, "signed-pack")
        for program in [self.signed / "setup.exe", *(pack / name for name in SIGNED_IN_PACK)]:
            verified = self.verify(program)
            self.assertEqual(verified.returncode, 0, f"{program.name}: {verified.stdout[-400:]}")
            for line in ("Number of verified signatures: 2", "Message digest algorithm  : SHA1",
                         "Message digest algorithm  : SHA256", "Text description: HexbreakerDemo Setup"):
                self.assertIn(line, verified.stdout, program.name)

    def test_check_cd_matches_the_signed_cd_and_its_image_and_refuses_what_is_no_cd(self):
        for path in (self.signed, self.image, self.cd):
            with self.subTest(path=path.name):
                status, output, _ = self.check_cd(path)
                self.assertEqual(status, 0, output)
                self.assertRegex(output.splitlines()[-1], r"^matches the sources at [0-9a-f]{40}")
                signers = [line for line in output.splitlines() if "signed by" in line]
                expected = [] if path == self.cd else ["hxdemo.pak: hxdemo.exe", "hxdemo.pak: hxduninst.exe",
                                                       "setup.exe"]
                self.assertEqual(signers, [f"{name}: {SIGNER} verifies" for name in expected])
        (self.scratch / "notes.txt").write_text("not a disc\n")
        for path in (self.keys, self.scratch / "notes.txt", self.scratch / "missing"):  # folder, file, nothing
            with self.subTest(path=path.name):
                status, output, errors = self.check_cd(path)
                self.assertEqual((status, output), (2, ""))
                self.assertTrue(errors.startswith(f"check-cd: {path}: "), errors)

    def test_check_cd_names_a_changed_byte(self):
        def change_byte(path, offset=None):
            data = bytearray(path.read_bytes())
            data[len(data) // 2 if offset is None else offset] ^= 0x01
            path.write_bytes(bytes(data))

        def in_pack(cd):  # the game's program: the pack made again around it
            pack = self.extracted_pack(cd, "tampered-pack")
            change_byte(pack / "hxdemo.exe")
            names = run(HXPACK, "list", cd / "hxdemo.pak", check=True).stdout.splitlines()
            entries = [pack / line.split("\t")[1] for line in names if not line.startswith("total\t")]
            subprocess.run([HXPACK, "create", cd / "hxdemo.pak", *entries], check=True, capture_output=True)

        cases = [
            ("setup.exe", lambda cd: change_byte(cd / "setup.exe"), "setup.exe"),
            ("the game's program", in_pack, "hxdemo.pak: hxdemo.exe"),
            ("a DirectX file", lambda cd: change_byte(next(p for p in sorted((cd / "directx").rglob("*"))
                                                           if p.is_file()), 0), "directx/"),
        ]
        for what, change, named in cases:
            with self.subTest(what):
                tampered = self.scratch / "tampered"
                shutil.rmtree(tampered, ignore_errors=True)
                shutil.copytree(self.signed, tampered)
                change(tampered)
                status, output, _ = self.check_cd(tampered)
                self.assertEqual(status, 1, output)
                self.assertRegex(output.splitlines()[-1], rf"^differs from the sources at [0-9a-f]{{40}}.*: {named}")
                if named in ("setup.exe", "hxdemo.pak: hxdemo.exe"):
                    self.assertIn(f"{named}: {SIGNER} does NOT verify: the file changed after it was signed", output)

    def test_a_bad_key_ends_with_its_line_and_leaves_the_signed_cd(self):
        keys = self.keys
        before = tree_hash(self.signed), self.image.read_bytes()
        cases = [
            (dict(HX_SIGN_CERT=keys / "signer.pem", HX_SIGN_KEY=keys / "stray.key"),
             f"the key {keys}/stray.key does not match the certificate {keys}/signer.pem"),
            (dict(HX_SIGN_CERT=keys / "server.pem", HX_SIGN_KEY=keys / "server.key"),
             f"the certificate {keys}/server.pem is not for code signing"),
            (dict(HX_SIGN_CERT=keys / "gone.pem", HX_SIGN_KEY=keys / "signer.key"),
             f"HX_SIGN_CERT: {keys}/gone.pem: no such file"),
            (dict(HX_SIGN_PKCS12=keys / "signer.p12", HX_SIGN_PASS_FILE=keys / "wrong-pass.txt"),
             f"HX_SIGN_PKCS12: {keys}/signer.p12: wrong password"),
        ]
        for key, line in cases:
            with self.subTest(line):
                result = self.make_cd(**key)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                self.assertTrue(result.stderr.startswith("make cd: " + line), result.stderr)
                self.assertEqual((tree_hash(self.signed), self.image.read_bytes()), before, "the last CD changed")
        with self.subTest("the PKCS#12 file with its password signs"):
            made = self.make_cd(HX_SIGN_PKCS12=keys / "signer.p12", HX_SIGN_PASS_FILE=keys / "pass.txt")
            self.assertEqual(made.returncode, 0, made.stderr)
            self.assertEqual(self.verify(self.signed / "setup.exe").returncode, 0)


if __name__ == "__main__":
    SignedCd.cd, SignedCd.scratch = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    unittest.main(argv=sys.argv[:1], verbosity=2)
