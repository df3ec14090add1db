#!/usr/bin/env python3
# Development tool, not run by the tests: from the records beside it (gymgit/s7-pcaps
# 88f35a601de45fa29b0b36048a30ae4a1e925320, the captures the records name) makes the program
# each recorded controller held, as far as the records show it:
#   program.wld  the block images that recorded uploads and downloads carry whole;
#   blocks.txt   per capture, every block its records show the controller holding: listed in a
#                block list, described by a block info, uploaded, or read and written as a DB
#                (with the furthest byte used), and whether program.wld has its image.
# Usage: images.py (in this folder, after extract.py)
import collections

def records(files):
    found = []
    for f in files:
        for line in open(f):
            if line.startswith('= '):
                found.append(dict(capture=line.split(' @ ')[1].split()[0], frames=[]))
            elif line[:2] in ('> ', '< '):
                found[-1]['frames'].append((line[0], bytes(int(x, 16) for x in line[2:].split())))
    return found

def parts(frame):
    pdu = frame[7:]; head = 12 if pdu[1] in (2, 3) else 10
    plen, dlen = pdu[6] << 8 | pdu[7], pdu[8] << 8 | pdu[9]
    return pdu, pdu[head:head + plen], pdu[head + plen:head + plen + dlen]

images = {}
held = collections.defaultdict(dict)  # capture -> (type letter, number) -> bytes used

def hold(capture, letter, number, used=0):
    if letter in (0x0D, 0x0F): return  # the system's own blocks come with the controller
    key = ('%02X' % letter, number)
    held[capture][key] = max(held[capture].get(key, 0), used)

def db_areas(items, count):
    """The (DB, bytes used) of each area of a 0xB0 item list, a DB read by areas."""
    at = 0
    for _ in range(count):
        if items[at + 2] != 0xB0: return
        for n in range(items[at + 3]):
            a = items[at + 4 + 5 * n:at + 9 + 5 * n]
            yield a[1] << 8 | a[2], (a[3] << 8 | a[4]) + a[0]
        at += 2 + items[at + 1]

for record in records(['cpu315.txt', 's7-300.txt', 's7-400.txt']):
    capture = record['capture']; image = b''
    requests = [f for d, f in record['frames'] if d == '>']
    answers = [f for d, f in record['frames'] if d == '<']
    if not requests or not answers: continue
    pdu, par, dat = parts(requests[0])
    apdu, apar, adat = parts(answers[0])
    for d, frame in record['frames']:
        p, fp, fd = parts(frame)
        if p[1] != 3 or not fp or fp[0] not in (0x1E, 0x1B) or len(fd) <= 4: continue
        image += fd[4:]
        if fp[1] == 0:
            images.setdefault((image[5], image[6] << 8 | image[7]), image)
            hold(capture, image[5], image[6] << 8 | image[7])
            image = b''
    ok = apdu[1] in (1, 3, 7) and (apdu[1] != 3 or apdu[10:12] == b'\0\0')
    if pdu[1] == 7 and par[5] & 0xF == 3 and par[6] == 2 and ok and adat[:1] == b'\xff':
        body = b''.join(parts(a)[2][4:] for a in answers)
        for i in range(0, len(body) - 3, 4):
            hold(capture, int(chr(dat[5]), 16), body[i] << 8 | body[i + 1])
    if pdu[1] == 7 and par[5] & 0xF == 3 and par[6] == 3 and adat[:1] == b'\xff':
        hold(capture, int(chr(dat[5]), 16), int(dat[6:11]))
    if pdu[1] == 1 and par[0] == 0x1D and ok:
        hold(capture, int(chr(par[11]), 16), int(par[12:17]))
    if pdu[1] == 1 and par[0] in (4, 5) and par[2:3] == b'\x12':
        if par[4] == 0xB0:
            for db, used in db_areas(par[2:], par[1]): hold(capture, 0x0A, db, used)
            continue
        codes, at = [], 0
        while at < len(adat):
            codes.append(adat[at])
            if par[0] == 5: at += 1; continue
            n = adat[at + 2] << 8 | adat[at + 3]; nb = (n + 7) // 8 if adat[at + 1] in (3, 4, 5) else n
            at += 4 + nb + (nb & 1) if adat[at] == 0xFF else 4
        for i in range(par[1]):
            it = par[2 + 12 * i:14 + 12 * i]
            if it[8] != 0x84 or i >= len(codes) or codes[i] != 0xFF: continue
            size = {1: 1, 2: 1, 3: 1, 4: 2, 5: 2, 6: 4, 7: 4, 8: 4}.get(it[3], 2)
            start = (it[9] << 16 | it[10] << 8 | it[11]) >> 3
            hold(capture, 0x0A, it[6] << 8 | it[7], start + size * (it[4] << 8 | it[5]))
    if pdu[1] == 7 and par[5] & 0xF == 2 and par[6] in (5, 7) and dat[:1] == b'\xff':
        for db, used in db_areas(dat[8:], dat[4] << 8 | dat[5]):
            hold(capture, 0x0A, db, used)

with open('program.wld', 'wb') as out:
    for key in sorted(images): out.write(images[key])
with open('blocks.txt', 'w') as out:
    out.write('# The blocks each recorded controller held as far as its records show: capture, type\n'
              '# (as a file name spells it), number, and the bytes a DB must have at least, or\n'
              '# "image" when program.wld carries the block whole. Made by images.py in this folder.\n')
    for capture in sorted(held):
        for (letter, number), used in sorted(held[capture].items()):
            whole = (int(letter, 16), number) in images
            out.write('%s %s %d %s\n' % (capture, letter, number, 'image' if whole else used))
