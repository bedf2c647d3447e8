#!/usr/bin/env python3
# Writes the PNG pictures of this folder and, beside each, NAME.expected.bmp: the pixels
# the editor should see, worked out here from the same samples (16-bit channels rounded
# to 8 bits, then alpha laid over black as c = (c * a + 127) / 255).
import os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def pack(samples, depth):
    if depth == 16:
        return b''.join(struct.pack('>H', s) for s in samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc, bits = acc << depth | s, bits + depth
        if bits == 8:
            out.append(acc)
            acc = bits = 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def filtered(rows, bpp):  # each row with the next of the five filters
    out, prev = bytearray(), bytes(len(rows[0]))
    for i, row in enumerate(rows):
        f = i % 5
        out.append(f)
        for j, v in enumerate(row):
            a, b, c = (row[j - bpp] if j >= bpp else 0), prev[j], (prev[j - bpp] if j >= bpp else 0)
            out.append((v - [0, a, b, (a + b) // 2, paeth(a, b, c)][f]) & 255)
        prev = row
    return bytes(out)


def scan(p, x0, y0, dx, dy):
    rows = [pack([s for x in range(x0, p['w'], dx) for s in p['sample'](x, y)], p['depth'])
            for y in range(y0, p['h'], dy)]
    if not rows or not rows[0]:
        return b''
    return filtered(rows, max(1, CHANNELS[p['type']] * p['depth'] // 8))


def png(p):
    passes = ADAM7 if p.get('interlaced') else [(0, 0, 1, 1)]
    data = zlib.compress(b''.join(scan(p, *a) for a in passes), 9)
    step = p.get('idat', len(data))
    idats = [chunk(b'IDAT', data[i:i + step]) for i in range(0, len(data), step)]
    head = struct.pack('>IIBBBBB', p['w'], p['h'], p['depth'], p['type'], 0, 0, int(bool(p.get('interlaced'))))
    body = [chunk(b'IHDR', head)] + [chunk(k, d) for k, d in p.get('before', [])]
    if 'palette' in p:
        body.append(chunk(b'PLTE', b''.join(bytes(c) for c in p['palette'])))
    if 'trns' in p:
        t = p['trns']
        body.append(chunk(b'tRNS', bytes(t) if p['type'] == 3 else b''.join(struct.pack('>H', v) for v in t)))
    body += idats[:1] + ([chunk(b'IDAT', b'')] if p.get('empty_idat') else []) + idats[1:]
    body += [chunk(k, d) for k, d in p.get('after', [])]
    return b'\x89PNG\r\n\x1a\n' + b''.join(body) + chunk(b'IEND', b'')


def to8(v, depth):
    return v if depth == 8 else (v * 255 + 32767) // 65535 if depth == 16 else v * 255 // (2 ** depth - 1)


def expected(p, x, y):
    s, d, t = p['sample'](x, y), p['depth'], p['type']
    if t == 3:
        r, g, b = p['palette'][s[0]]
        trns = p.get('trns', [])
        a = trns[s[0]] if s[0] < len(trns) else 255
    else:
        colour = s[:3] if t in (2, 6) else s[:1] * 3
        a = to8(s[-1], d) if t in (4, 6) else 0 if list(s) == p.get('trns') else 255
        r, g, b = (to8(v, d) for v in colour)
    return tuple((c * a + 127) // 255 for c in (r, g, b))


def bmp(p):
    w, h = p['w'], p['h']
    stride = (w * 3 + 3) & ~3
    data = b''.join(bytes(c for x in range(w) for c in reversed(expected(p, x, y))).ljust(stride, b'\0')
                    for y in reversed(range(h)))
    return (b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data)


def palette(n):
    return [((i * 53 + 7) % 256, (i * 101 + 50) % 256, (i * 29 + 200) % 256) for i in range(n)]


def indexed(n):
    return lambda x, y: ((x * 3 + y * 7 + x * y) % n,)


def grey(depth):
    if depth == 16:
        return lambda x, y: ((x * 4099 + y * 30011 + x * y * 7) & 0xFFFF,)
    return lambda x, y: ((x * 5 + y * 11 + x * y * 3) % 2 ** depth,)


def alpha(x, y, top):  # clear, opaque and in between
    k = (x + 2 * y) % 7
    return 0 if k == 0 else top if k == 1 else (x * 61 + y * 29 + x * y * 13) % (top + 1)


def colour(depth, channels):
    top = 2 ** depth - 1
    def sample(x, y):
        c = ((x * 37 + y * 11) * 257 % (top + 1), (x * 13 + y * 59 + 7) * 131 % (top + 1), (x * y * 17 + 101) % (top + 1))
        return (c if channels >= 3 else c[:1]) + ((alpha(x, y, top),) if channels in (2, 4) else ())
    return sample


def grey_alpha(depth):
    g, top = grey(depth), 2 ** depth - 1
    return lambda x, y: g(x, y) + (alpha(x, y, top),)


def with_trns_at(p, x, y):  # the colour of (x, y) is clear
    p['trns'] = list(p['sample'](x, y))
    return p


PICTURES = {}
for depth, n, trns_length in [(1, 2, 1), (2, 4, 3), (4, 12, 12), (8, 200, 100)]:
    for trns in (False, True):
        p = dict(type=3, depth=depth, w=9 + depth, h=6, palette=palette(n), sample=indexed(n))
        if trns:
            p['trns'] = [0] + [(i * 97 + 13) % 256 for i in range(1, trns_length)]
        PICTURES['palette-%dbit%s' % (depth, '-trns' if trns else '')] = p
PICTURES['grey-2bit-trns'] = with_trns_at(dict(type=0, depth=2, w=7, h=5, sample=grey(2)), 1, 0)
PICTURES['grey-4bit'] = dict(type=0, depth=4, w=11, h=5, sample=grey(4))
PICTURES['grey-8bit-trns'] = with_trns_at(dict(type=0, depth=8, w=8, h=6, sample=grey(8)), 2, 1)
PICTURES['grey-16bit'] = dict(type=0, depth=16, w=8, h=6, sample=grey(16))
PICTURES['grey-alpha-8bit'] = dict(type=4, depth=8, w=9, h=6, sample=grey_alpha(8))
PICTURES['grey-alpha-16bit'] = dict(type=4, depth=16, w=9, h=6, sample=grey_alpha(16))
# Chunks the reader does not use, around the image data, change nothing (gamma 1.0 included).
PICTURES['rgb-8bit-other-chunks'] = dict(
    type=2, depth=8, w=10, h=7, sample=colour(8, 3),
    before=[(b'gAMA', struct.pack('>I', 100000)), (b'pHYs', struct.pack('>IIB', 2835, 2835, 1))],
    after=[(b'tEXt', b'Comment\0a level'), (b'prVt', b'\1\2\3')])
PICTURES['rgb-8bit-trns'] = with_trns_at(dict(type=2, depth=8, w=10, h=7, sample=colour(8, 3)), 3, 2)
# (4, 2) differs from the clear colour only below its top 8 bits: it stays opaque.
PICTURES['rgb-16bit-trns'] = with_trns_at(dict(type=2, depth=16, w=10, h=7, sample=lambda x, y: (
    (colour(16, 3)(3, 2)[0] ^ 1,) + colour(16, 3)(3, 2)[1:] if (x, y) == (4, 2) else colour(16, 3)(x, y))), 3, 2)
PICTURES['rgba-8bit-many-idat'] = dict(type=6, depth=8, w=11, h=8, sample=colour(8, 4), idat=17, empty_idat=True)
PICTURES['rgba-16bit'] = dict(type=6, depth=16, w=9, h=7, sample=colour(16, 4))
PICTURES['rgba-8bit-interlaced'] = dict(type=6, depth=8, w=13, h=11, sample=colour(8, 4), interlaced=True)
PICTURES['palette-2bit-trns-interlaced'] = dict(PICTURES['palette-2bit-trns'], w=11, h=10, interlaced=True)
PICTURES['grey-16bit-interlaced'] = dict(type=0, depth=16, w=9, h=9, sample=grey(16), interlaced=True)

if __name__ == '__main__':
    for name, p in PICTURES.items():
        with open(os.path.join(HERE, name + '.png'), 'wb') as f:
            f.write(png(p))
        with open(os.path.join(HERE, name + '.expected.bmp'), 'wb') as f:
            f.write(bmp(p))
