#!/usr/bin/python3
# Cipher vectors from python3-cryptography, an oracle independent of the program's ciphers.
# Prints one line per vector: kind key iv plain cipher (hex; "-" for none).
import random
import warnings

warnings.simplefilter("ignore")
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

rng = random.Random(20261207)


def rb(n):
    return bytes(rng.getrandbits(8) for _ in range(n))


def line(kind, key, iv, plain, cipher):
    print(kind, key.hex(), iv.hex() if iv else "-", plain.hex() or "-", cipher.hex() or "-")


for keylen in (16, 24, 32):
    for blocks in (1, 3, 17):
        key, iv, plain = rb(keylen), rb(16), rb(16 * blocks)
        enc = Cipher(algorithms.AES(key), modes.ECB()).encryptor()
        line("ecb", key, None, plain, enc.update(plain) + enc.finalize())
        enc = Cipher(algorithms.AES(key), modes.CBC(iv)).encryptor()
        line("cbc", key, iv, plain, enc.update(plain) + enc.finalize())
    for length in (1, 15, 16, 45, 100):
        key, iv, plain = rb(keylen), rb(16), rb(length)
        for kind, mode in (("cfb", modes.CFB), ("ofb", modes.OFB), ("ctr", modes.CTR)):
            enc = Cipher(algorithms.AES(key), mode(iv)).encryptor()
            line(kind, key, iv, plain, enc.update(plain) + enc.finalize())
    for length in (0, 1, 15, 16, 33):
        # What a PDF writer stores for an AES string: IV, then the PKCS#7-padded text.
        key, iv, plain = rb(keylen), rb(16), rb(length)
        pad = 16 - length % 16
        enc = Cipher(algorithms.AES(key), modes.CBC(iv)).encryptor()
        line("withiv", key, iv, plain, iv + enc.update(plain + bytes([pad]) * pad) + enc.finalize())

for keylen in (5, 7, 8, 10, 16, 20, 24, 32):
    for length in (1, 64, 1000):
        key, plain = rb(keylen), rb(length)
        enc = Cipher(algorithms.ARC4(key), mode=None).encryptor()
        line("rc4", key, None, plain, enc.update(plain))
