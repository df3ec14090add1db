#!/usr/bin/env python3
# Development tool, not run by the tests: extracts request/answer pairs from the recordings
# (decoded to per-frame text by tshark) into the record files beside it. Usage:
#   extract.py CAPTURE_DIR
import sys, glob, os, collections, subprocess
def frames(capture):
    bufs = collections.defaultdict(bytes); out = []
    text = subprocess.run(['tshark', '-r', capture, '-Y', 'tcp.len>0', '-T', 'fields', '-e', 'frame.number',
                           '-e', 'tcp.stream', '-e', 'tcp.srcport', '-e', 'tcp.dstport', '-e', 'tcp.seq_raw',
                           '-e', 'tcp.payload'], capture_output=True, text=True, check=True).stdout
    for line in text.splitlines(True):
        p = line.rstrip('\n').split('\t')
        if len(p) < 6 or not p[5]: continue
        num, stream, sport, dport, seq, pay = int(p[0]), int(p[1]), int(p[2]), int(p[3]), p[4], bytes.fromhex(p[5])
        key = (stream, sport)
        buf = bufs[key] + pay
        # resync on gaps: a frame starts with 03 00
        while len(buf) >= 4:
            if buf[0] != 3 or buf[1] != 0:
                i = buf.find(b'\x03\x00', 1)
                if i < 0: buf = b''; break
                buf = buf[i:]; continue
            n = buf[2] << 8 | buf[3]
            if n < 7 or n > 2000: buf = buf[1:]; continue
            if len(buf) < n: break
            out.append(dict(frame=num, stream=stream, toplc=(dport == 102), raw=buf[:n]))
            buf = buf[n:]
        bufs[key] = buf
    return out
def pdu(raw): return raw[7:]
def ref(p): return p[4]<<8|p[5]
def kind(p):
    r = p[1]; pl = p[6]<<8|p[7]; par = p[10:10+pl] if r in (1,7) else p[12:12+pl]
    dat = p[(10 if r in (1,7) else 12)+pl:]
    if r == 1:
        fc = par[0]
        if fc == 4 or fc == 5:
            items = []
            for i in range(par[1]):
                it = par[2+i*12:14+i*12]; items.append('%02x/%02x' % (it[3], it[8]))
            return 'job %02x %s' % (fc, ','.join(sorted(set(items))))
        if fc == 0x28 or fc == 0x29:
            # PI service name
            if fc == 0x28:
                n = par[8]<<8|par[9]; pn = par[10+n]; name = par[11+n:11+n+pn]
            else:
                n = par[6]; name = par[7:7+n]
            return 'job %02x %s' % (fc, name.decode('latin1'))
        return 'job %02x' % fc
    if r == 7:
        typ = par[4]; grp = par[5]; sub = par[6]; seq = par[7]
        k = 'ud %02x grp %x sub %02x' % (typ, grp, sub)
        if grp == 4 and len(dat) >= 8 and typ in (0x11,):
            k += ' szl %02x%02x/%02x%02x' % (dat[4],dat[5],dat[6],dat[7])
        return k
    return 'rosctr %d' % r
# Extracts request/answer pairs from the recordings into tests/replay/*.txt.
def kindof(p):
    k = kind(p)
    pl = p[6] << 8 | p[7]
    if p[1] == 7:
        par = p[10:10+pl]; dat = p[10+pl:]
        grp = par[5] & 0xf; sub = par[6]
        k = 'userdata %x/%02x' % (grp, sub)
        if grp == 4 and sub == 1 and len(dat) >= 8 and par[3] == 4: k += ' list %02X%02X/%02X%02X' % tuple(dat[4:8])
        if grp == 3 and sub in (2, 3) and len(dat) >= 6 and par[3] == 4: k += ' type %s' % dat[4:6].hex()
    return k
def ref(p): return p[4] << 8 | p[5]
def hexs(b): return ' '.join('%02X' % x for x in b)
SRC = 'gymgit/s7-pcaps 88f35a601de45fa29b0b36048a30ae4a1e925320'
out = collections.defaultdict(list)
seen = collections.Counter()
for capture in sorted(glob.glob(os.path.join(sys.argv[1], '*.pcapng'))):
    name = os.path.basename(capture)
    group = name.split('_')[0]
    fr = [f for f in frames(capture) if len(f['raw']) > 17 and f['raw'][7] == 0x32]
    records = []  # each: dict(kind, frames=[(dir, frame, raw)])
    open_by_ref = {}
    last_ud = {}  # (stream, grp, sub) -> record, for follow-ups
    download = {}  # stream -> record
    for f in fr:
        p = f['raw'][7:]; r = p[1]; s = f['stream']
        pl = p[6] << 8 | p[7]
        if f['toplc']:
            if r == 7:
                par = p[10:10+pl]
                if par[3] == 8 and par[7] != 0 and (s, par[5] & 0xf, par[6]) in last_ud:
                    rec = last_ud[(s, par[5] & 0xf, par[6])]
                else:
                    rec = dict(kind=kindof(p), frames=[]); records.append(rec)
                    last_ud[(s, par[5] & 0xf, par[6])] = rec
            elif r == 3 and s in download:
                rec = download[s]
            elif r == 1:
                rec = dict(kind=kindof(p), frames=[]); records.append(rec)
                if p[10] == 0x1a: download[s] = rec
            else:
                continue
            rec['frames'].append(('>', f['frame'], f['raw'])); open_by_ref[(s, ref(p))] = rec
        else:
            rec = open_by_ref.get((s, ref(p)))
            if r == 1 and s in download: rec = download[s]
            if rec is None: continue
            rec['frames'].append(('<', f['frame'], f['raw']))
            if r == 1 and p[10] == 0x1c: del download[s]
    for rec in records:
        if not any(d == '<' for d, _, _ in rec['frames']): continue
        # one record per kind and request shape (reference aside) per controller group
        key = (group, rec['kind'], bytes(rec['frames'][0][2][:11] + rec['frames'][0][2][13:]))
        if seen[key]: continue
        seen[key] += 1
        if seen[(group, rec['kind'])] >= 4: continue
        seen[(group, rec['kind'])] += 1
        nums = ','.join(str(n) for _, n, _ in rec['frames'])
        lines = ['= %s @ %s %s' % (rec['kind'], name, nums)]
        lines += ['%s %s' % (d, hexs(raw)) for d, _, raw in rec['frames']]
        out[group].append('\n'.join(lines))
for group, recs in out.items():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), '%s.txt' % group), 'w') as fh:
        fh.write('# Request/answer pairs recorded from a real controller, as whole TPKT frames:\n'
                 '# "= kind @ capture frames", client frames after "> ", controller frames after "< ".\n'
                 '# Source: %s, the capture named in each record.\n'
                 '# Made by extract.py in this folder.\n\n' % SRC)
        fh.write('\n\n'.join(recs) + '\n')
    print(group, len(recs))
