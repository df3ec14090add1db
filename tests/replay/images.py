#!/usr/bin/env python3
# Development tool, not run by the tests: joins the block images that the recorded uploads
# and downloads carry whole (gymgit/s7-pcaps 88f35a601de45fa29b0b36048a30ae4a1e925320, the
# captures the records beside it name) into program.wld, the program the replay's
# controller holds. Usage: images.py (in this folder, after extract.py)
def frames(files):
    for f in files:
        for line in open(f):
            if line[:2] in ('> ', '< '):
                yield bytes(int(x, 16) for x in line[2:].split())
images, image = {}, b''
for b in frames(['cpu315.txt', 's7-300.txt', 's7-400.txt']):
    if len(b) < 20 or b[8] != 3: continue
    plen, dlen = b[13] << 8 | b[14], b[15] << 8 | b[16]
    p, d = b[19:19 + plen], b[19 + plen:19 + plen + dlen]
    # an upload's answer (0x1E) or a download's (0x1B) with data; "more follows" in p[1]
    if not p or p[0] not in (0x1E, 0x1B) or dlen <= 4: continue
    image += d[4:]
    if p[1] == 0:
        images.setdefault((image[5], image[6] << 8 | image[7]), image)
        image = b''
with open('program.wld', 'wb') as out:
    for key in sorted(images): out.write(images[key])
