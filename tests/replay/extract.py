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
        if (fc == 4 or fc == 5) and par[1] and par[4] != 0x10:
            return 'job %02x syntax %02x' % (fc, par[4])
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

# The structure of a controller frame as a pattern: each byte as hex when a controller
# answering alike must send that byte, ".." when it may differ (contents that follow the
# program, the time or the serial number), "nz" when it must not be 0; a closing "*"
# leaves the rest and the length open.
def pattern(raw, first=True):
    keep = {}; pdu = raw[7:]
    for i in range(min(len(raw), 7)): keep[i] = '%02X' % raw[i]
    if len(raw) < 17 or raw[7] != 0x32: return ' '.join(keep[i] for i in sorted(keep))
    typ = pdu[1]; pl = pdu[6] << 8 | pdu[7]; head = 12 if typ in (2, 3) else 10
    par = 7 + head; dat = par + pl
    closed = True
    for i in range(7, par): keep[i] = '%02X' % raw[i]
    keep[11] = keep[12] = '..'
    def any_(a, b):
        for i in range(a, b): keep[i] = '..'
    if typ == 7:
        for i in range(par, dat): keep[i] = '%02X' % raw[i]
        p = raw[par:dat]
        if len(p) >= 9:
            keep[par + 7] = 'nz' if p[7] else '00'
            keep[par + 8] = 'nz' if p[8] else '00'
        service = (p[5] & 0x0F) << 8 | p[6] if len(p) >= 7 else 0
        for i in range(dat, min(dat + 4, len(raw))): keep[i] = '%02X' % raw[i]
        d = raw[dat:]
        if service == 0x401 and first and len(d) >= 12 and d[0] == 0xFF:
            ident = d[4] << 8 | d[5]
            for i in range(dat + 4, dat + 12): keep[i] = '%02X' % raw[i]
            if ident in (0x00A0, 0x0000) or ident & 0xFF == 0x1C: keep[dat + 10] = keep[dat + 11] = '..'
            # how many parts the list of lists takes follows how many lists the CPU has
            if ident == 0x0000: keep[par + 7] = keep[par + 8] = keep[par + 9] = '..'
            closed = False
        elif service == 0x302 and len(d) >= 8 and d[0] == 0xFF:
            keep[dat + 6] = '%02X' % raw[dat + 6]; closed = False  # flags; the language is the program's
        elif service == 0x701:
            for i in range(dat, len(raw)): keep[i] = '..'
            for i in (dat, dat + 1, dat + 2, dat + 3, dat + 4, dat + 5): keep[i] = '%02X' % raw[i]
        elif len(d) > 4:
            closed = False
        if not closed: any_(13, 17); any_(2, 4); any_(dat + 2, dat + 4)
    else:
        fn = raw[par] if pl else 0
        for i in range(par, dat): keep[i] = '%02X' % raw[i]
        if fn == 0x04 and typ == 3:
            at = dat
            while at + 4 <= len(raw):
                for i in range(at, at + 4): keep[i] = '%02X' % raw[i]
                ts, n = raw[at + 1], raw[at + 2] << 8 | raw[at + 3]
                nb = 0 if raw[at] != 0xFF else ((n + 7) // 8 if ts in (3, 4, 5) else n)
                any_(at + 4, min(at + 4 + nb + (nb & 1), len(raw)))
                at += 4 + nb + (nb & 1)
        elif fn == 0x05:
            for i in range(dat, len(raw)): keep[i] = '%02X' % raw[i]
        elif fn == 0x1D:
            keep = {i: keep[i] for i in range(0, par + 2) if i in keep}; any_(2, 4); any_(13, 17); closed = False
        elif fn in (0x1B, 0x1E) or len(raw) > dat:
            for i in range(par, min(par + 2, dat)): keep[i] = '%02X' % raw[i]
            any_(2, 4); any_(15, 17); closed = False
    text = ' '.join(keep.get(i, '..') for i in range(max(keep) + 1))
    return text if closed else text + ' *'

def ref(p): return p[4] << 8 | p[5]
def hexs(b): return ' '.join('%02X' % x for x in b)
SRC = 'gymgit/s7-pcaps 88f35a601de45fa29b0b36048a30ae4a1e925320'
out = collections.defaultdict(list)
out_records = collections.defaultdict(list)
seen = collections.Counter()
for capture in sorted(glob.glob(os.path.join(sys.argv[1], '*.pcapng'))):
    name = os.path.basename(capture)
    group = name.split('_')[0]
    fr = [f for f in frames(capture) if len(f['raw']) > 17 and f['raw'][7] == 0x32]
    records = []  # each: dict(kind, frames=[(dir, frame, raw)])
    open_by_ref = {}
    last_ud = {}  # (stream, grp, sub) -> record, for follow-ups
    download = {}  # stream -> record
    ending = {}  # stream -> the controller ended the download: the tool's ack closes it
    upload = {}
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
                if ending.pop(s, False): del download[s]
            elif r == 1 and p[10] in (0x1e, 0x1f) and s in upload:
                rec = upload[s]
            elif r == 1:
                rec = dict(kind=kindof(p), frames=[]); records.append(rec)
                if p[10] == 0x1a: download[s] = rec
                if p[10] == 0x1d: upload[s] = rec
            else:
                continue
            rec['frames'].append(('>', f['frame'], f['raw'])); open_by_ref[(s, ref(p))] = rec
        else:
            rec = open_by_ref.get((s, ref(p)))
            if r == 1 and s in download: rec = download[s]
            if rec is None: continue
            rec['frames'].append(('<', f['frame'], f['raw']))
            if r == 1 and p[10] == 0x1c: ending[s] = True
    for rec in records:
        if not any(d == '<' for d, _, _ in rec['frames']): continue
        # one record per kind and request shape (reference aside) per controller group
        key = (name, rec['kind'], bytes(rec['frames'][0][2][:11] + rec['frames'][0][2][13:]))
        if seen[key]: continue
        seen[key] += 1
        if seen[(name, rec['kind'])] >= 4: continue
        seen[(name, rec['kind'])] += 1
        nums = ','.join(str(n) for _, n, _ in rec['frames'])
        lines = ['= %s @ %s %s' % (rec['kind'], name, nums)]
        answered = 0
        for d, _, raw in rec['frames']:
            lines.append('%s %s' % (d, hexs(raw)))
            if d == '<': lines.append('? %s' % pattern(raw, answered == 0)); answered += 1
        out[group].append('\n'.join(lines))
        out_records[group].append(('%s %s' % (name, nums), rec))
for group, recs in out.items():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), '%s.txt' % group), 'w') as fh:
        fh.write('# Request/answer pairs recorded from a real controller, as whole TPKT frames:\n'
                 '# "= kind @ capture frames", client frames after "> ", controller frames after "< ",\n'
                 '# each followed by its structure after "? " (see pattern() in extract.py).\n'
                 '# Source: %s, the capture named in each record.\n'
                 '# Made by extract.py in this folder.\n\n' % SRC)
        fh.write('\n\n'.join(recs) + '\n')
    print(group, len(recs))

# Calls of the library that receive a recorded answer, with the result the answer gives.
def answers_of(rec):
    return [raw[7:] for d, _, raw in rec['frames'] if d == '<']

def ud_data(p):
    pl = p[6] << 8 | p[7]
    return p[10 + pl:], p[10:10 + pl]

def library_line(rec):
    kind = rec['kind']; first = rec['frames'][0][2][7:]; ans = answers_of(rec)
    data, par = ud_data(ans[0])
    refused = ans[0][1] == 2 or (ans[0][1] == 3 and ans[0][10:12] != b'\0\0') or \
        (ans[0][1] == 7 and par[10:12] != b'\0\0')
    if kind.startswith('userdata 4/01 list'):
        ident, index = kind.split()[3].split('/')
        if refused: return 'list %s %s |refused|' % (ident, index)
        body = b''.join(ud_data(a)[0][4:] for a in ans)
        length, count = body[4] << 8 | body[5], body[6] << 8 | body[7]
        return 'list %s %s |ok %dx%d %s|' % (ident, index, length, count, hexs(body[8:24]))
    if kind == 'userdata 7/01':
        return 'clock |ok %s|' % hexs(data[6:14])
    if kind == 'userdata 5/01':
        return 'login |%s|' % ('refused' if refused else 'ok')
    if kind.startswith('userdata 3/02 type'):
        body = b''.join(ud_data(a)[0][4:] for a in ans)
        numbers = sorted(body[i] << 8 | body[i + 1] for i in range(0, len(body), 4))
        return 'blocks %s |ok %d: %s|' % (kind.split()[-1][2:], len(numbers), ' '.join(map(str, numbers[:8])))
    if kind.startswith('job 29') or kind.startswith('job 28 _GARB') or kind.startswith('job 28 _MODU'):
        name = {'29': 'stop', '_GARB': 'compress', '_MODU': 'ramtorom'}[kind.split()[-2] if kind.startswith('job 29') else kind.split()[-1]]
        return '%s |%s|' % (name, 'refused' if refused else 'ok')
    if kind.startswith('job 1d'):
        name = first[10 + 9:10 + 9 + first[18]].decode('latin1')
        size = sum(len(a) - 12 - 2 - 4 for a in ans if a[1] == 3 and a[12] == 0x1e)
        return 'upload %02X %d |%s|' % (ord(name[2]), int(name[3:8]), 'refused' if refused else 'ok %d' % size)
    if kind.startswith('job 04 ') or kind.startswith('job 05 '):
        items = kind.split()[2].split(',')
        specs = [first[12 + 12 * i:24 + 12 * i] for i in range(first[11])]
        sizes = {1: 1, 2: 1, 4: 2, 6: 4, 0x1c: 2, 0x1d: 2}
        if any(sp[1:3] != b'\x0a\x10' or sp[3] not in sizes or sizes[sp[3]] * (sp[4] << 8 | sp[5]) > 4
               for sp in specs): return None
        pl = ans[0][6] << 8 | ans[0][7]; d = ans[0][12 + pl:]; values = []
        if kind.startswith('job 05 '): return 'write |%s|' % ('ok' if set(d) == {0xFF} else 'refused')
        at = 0
        while at + 4 <= len(d):
            rc, ts, n = d[at], d[at + 1], d[at + 2] << 8 | d[at + 3]
            nb = 0 if rc != 0xFF else ((n + 7) // 8 if ts in (3, 4, 5) else n)
            values.append(hexs(d[at + 4:at + 4 + nb]).replace(' ', '') if rc == 0xFF else '-')
            at += 4 + nb + (nb & 1)
        if any(len(v) > 8 for v in values): return None
        return 'read |ok %s|' % ' '.join(values)
    return None

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'library.txt'), 'w') as fh:
    fh.write('# Library calls that receive a recorded answer: the record (capture and frames), the\n'
             '# call and the result that answer gives. Made by extract.py in this folder.\n')
    for group in out_records:
        for name, rec in out_records[group]:
            line = library_line(rec)
            if line: fh.write('%s %s\n' % (name, line))
