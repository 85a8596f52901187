#!/usr/bin/env bash
# Makes a test CA and a localhost server certificate signed by it, for the tracker simulator's
# HTTPS listener. Usage: make_test_ca.sh DIR
# Idempotent: when DIR already holds a matching, valid set it leaves it alone, so the CA that
# was trusted once stays trusted. It installs nothing; trusting ca.crt is the caller's business.
# The subjectAltName carries 127.0.0.1 as a DNS name too, because Wine's TLS matches only DNS
# names, and as an IP address for every other client.
set -euo pipefail

dir=${1:?usage: make_test_ca.sh DIR}
days=3650
san="DNS:localhost,DNS:127.0.0.1,IP:127.0.0.1"

valid_set() {
  local f
  for f in ca.crt ca.key server.crt server.key; do [ -s "$dir/$f" ] || return 1; done
  openssl verify -CAfile "$dir/ca.crt" "$dir/server.crt" >/dev/null 2>&1 || return 1
  # Valid for at least 30 more days.
  openssl x509 -in "$dir/server.crt" -noout -checkend 2592000 >/dev/null 2>&1 || return 1
  openssl x509 -in "$dir/ca.crt" -noout -checkend 2592000 >/dev/null 2>&1 || return 1
  [ "$(openssl x509 -in "$dir/server.crt" -noout -pubkey)" = "$(openssl pkey -in "$dir/server.key" -pubout)" ] || return 1
  [ "$(openssl x509 -in "$dir/ca.crt" -noout -pubkey)" = "$(openssl pkey -in "$dir/ca.key" -pubout)" ] || return 1
  openssl x509 -in "$dir/server.crt" -noout -ext subjectAltName 2>/dev/null |
    tr -d ' \n' | grep -q 'DNS:localhost,DNS:127.0.0.1,IPAddress:127.0.0.1' || return 1
}

if valid_set; then
  exit 0
fi

mkdir -p "$dir"
work=$(mktemp -d "$dir/.make-ca.XXXXXX")
trap 'rm -rf "$work"' EXIT

openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days "$days" \
  -keyout "$work/ca.key" -out "$work/ca.crt" -subj "/CN=Marrowbell Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -addext "subjectKeyIdentifier=hash" 2>/dev/null

openssl req -new -newkey rsa:2048 -nodes -sha256 \
  -keyout "$work/server.key" -out "$work/server.csr" -subj "/CN=localhost" 2>/dev/null

cat > "$work/server.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=$san
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid,issuer
EXT

openssl x509 -req -sha256 -days "$days" -in "$work/server.csr" \
  -CA "$work/ca.crt" -CAkey "$work/ca.key" -set_serial "0x$(openssl rand -hex 16)" \
  -extfile "$work/server.ext" -out "$work/server.crt" 2>/dev/null

chmod 600 "$work/ca.key" "$work/server.key"
chmod 644 "$work/ca.crt" "$work/server.crt"
# Keys first, then certificates: a reader that checks the set sees either old or new files.
for f in ca.key server.key ca.crt server.crt; do mv -f "$work/$f" "$dir/$f"; done
echo "test CA and server certificate written to $dir" >&2
