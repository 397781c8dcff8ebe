# Quorel — SPDX-License-Identifier: MIT
"""check_eml.py MESSAGE EXPORT_DIR SUBJECT: a message of quorel-snippet --eml read by Python's email
package; each cid: of its HTML part names one picture part, whose bytes are the exported file's."""
import email, email.policy, pathlib, re, sys

raw, folder, subject = pathlib.Path(sys.argv[1]).read_bytes(), pathlib.Path(sys.argv[2]), sys.argv[3]
problems = []
if any(len(line) > 78 for line in raw.split(b"\r\n")): problems.append("a line longer than 78")
msg = email.message_from_bytes(raw, policy=email.policy.default)
if msg["Subject"] != subject: problems.append(f"subject {msg['Subject']!r}")
if msg["To"] or msg["Cc"] or not (msg["Date"] and msg["Message-ID"] and msg["MIME-Version"] == "1.0"):
    problems.append("header fields")
related = msg.get_payload()
if msg.get_content_type() != "multipart/related" or related[0].get_content_type() != "multipart/alternative":
    problems.append("layout " + msg.get_content_type())
kinds = [part.get_content_type() for part in related[0].get_payload()]
if kinds != ["text/plain", "text/html"]: problems.append(f"alternatives {kinds}")
html = related[0].get_payload()[1].get_content()
pictures = {part["Content-ID"].strip("<>"): part for part in related[1:]}
cids = re.findall(r'src="cid:([^"]+)"', html)
if sorted(cids) != sorted(pictures): problems.append(f"cid {cids} against {list(pictures)}")
for cid in cids:
    part = pictures.get(cid)
    if part and part.get_content() != (folder / part.get_filename()).read_bytes():
        problems.append(f"{cid}: not the exported {part.get_filename()}")
sys.exit("\n".join(problems) if problems else 0)
