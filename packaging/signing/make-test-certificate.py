#!/usr/bin/env python3
"""Makes the test code-signing certificate of this folder (run once; the files are kept).

    make-test-certificate.py

test-codesign-ca.pem      a test certificate authority ("PelnixCpl TEST CA, NOT TRUSTED")
test-codesign-cert.pem    the code-signing certificate it issued, then the CA (the chain)
test-codesign-key.pem     the signing certificate's private key, unencrypted

For tests and unsigned developer builds only: the key is public, nothing should ever trust it.
Valid from 2020 to 2120, so that a machine's clock never makes the tests fail.
"""
import datetime
import pathlib

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

here = pathlib.Path(__file__).resolve().parent
start = datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc)
end = datetime.datetime(2120, 1, 1, tzinfo=datetime.timezone.utc)


def name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Pelnix Touch Systems (TEST)"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


ca_key = rsa.generate_private_key(public_exponent=65537, key_size=3072)
ca = (x509.CertificateBuilder()
      .subject_name(name("PelnixCpl TEST CA, NOT TRUSTED")).issuer_name(name("PelnixCpl TEST CA, NOT TRUSTED"))
      .public_key(ca_key.public_key()).serial_number(1).not_valid_before(start).not_valid_after(end)
      .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
      .add_extension(x509.KeyUsage(False, False, False, False, False, True, True, False, False), critical=True)
      .add_extension(x509.SubjectKeyIdentifier.from_public_key(ca_key.public_key()), critical=False)
      .sign(ca_key, hashes.SHA256()))

key = rsa.generate_private_key(public_exponent=65537, key_size=3072)
cert = (x509.CertificateBuilder()
        .subject_name(name("PelnixCpl TEST code signing, NOT TRUSTED")).issuer_name(ca.subject)
        .public_key(key.public_key()).serial_number(2).not_valid_before(start).not_valid_after(end)
        .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
        .add_extension(x509.KeyUsage(True, False, False, False, False, False, False, False, False), critical=True)
        .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.CODE_SIGNING]), critical=False)
        .add_extension(x509.AuthorityKeyIdentifier.from_issuer_public_key(ca_key.public_key()), critical=False)
        .sign(ca_key, hashes.SHA256()))

pem = serialization.Encoding.PEM
(here / "test-codesign-ca.pem").write_bytes(ca.public_bytes(pem))
(here / "test-codesign-cert.pem").write_bytes(cert.public_bytes(pem) + ca.public_bytes(pem))
(here / "test-codesign-key.pem").write_bytes(key.private_bytes(
    pem, serialization.PrivateFormat.PKCS8, serialization.NoEncryption()))
