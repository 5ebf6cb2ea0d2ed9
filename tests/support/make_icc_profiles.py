# Writes the ICC profiles the colour-management tests embed in pictures into the folder given:
#   srgb.icc        LittleCMS's sRGB, through Pillow's ImageCms
#   adobe-like.icc  an RGB matrix/TRC display profile with Adobe RGB (1998)'s primaries, adapted
#                   to D50 as such profiles store them, and gamma 563/256 on every channel
#   grey-linear.icc a grey display profile whose tone curve is linear (gamma 1.0), far from
#                   sRGB's curve
#   display-p3-like.icc  an RGB matrix/TRC profile with Display P3's primaries (adapted to D50)
#                   and sRGB's tone curve as a parametric curve, as phones tag their photographs
#   srgb-by-name.icc  sRGB's primaries (adapted to D50) and tone curve written as a 1024-entry
#                   table, as editors' and cameras' own sRGB profiles hold it: sRGB in all but
#                   the name
# The last four are written field by field (ICC version 2.1), so that they depend on no
# profile-making code of the colour-management library under test.
import struct
import sys

from PIL import ImageCms


def s15f16(v):
    return struct.pack('>i', int(round(v * 65536)))


def xyz(x, y, z):
    return b'XYZ ' + bytes(4) + s15f16(x) + s15f16(y) + s15f16(z)


def curve(gamma):
    return b'curv' + bytes(4) + struct.pack('>IH', 1, int(round(gamma * 256))) + bytes(2)


def parametric(g, a, b, c, d):
    return b'para' + bytes(4) + struct.pack('>HH', 3, 0) + b''.join(s15f16(v) for v in (g, a, b, c, d))


def table_curve(values):
    return b'curv' + bytes(4) + struct.pack('>I', len(values)) + b''.join(struct.pack('>H', v) for v in values)


def description(text):
    ascii = text.encode('ascii') + b'\0'
    return (b'desc' + bytes(4) + struct.pack('>I', len(ascii)) + ascii + struct.pack('>II', 0, 0) +
            struct.pack('>HB', 0, 0) + bytes(67))


def copyright(text):
    return b'text' + bytes(4) + text.encode('ascii') + b'\0'


def profile(space, tags):
    count = len(tags)
    offset = 128 + 4 + 12 * count
    table, data = b'', b''
    for signature, body in tags:
        while (offset + len(data)) % 4:
            data += b'\0'
        table += signature + struct.pack('>II', offset + len(data), len(body))
        data += body
    size = offset + len(data)
    header = (struct.pack('>I', size) + bytes(4) + struct.pack('>I', 0x02100000) + b'mntr' + space + b'XYZ ' +
              struct.pack('>6H', 2024, 1, 1, 0, 0, 0) + b'acsp' + bytes(4) + bytes(4) + bytes(4) + bytes(4) +
              bytes(8) + struct.pack('>I', 0) + s15f16(0.9642) + s15f16(1.0) + s15f16(0.8249) + bytes(4))
    header += bytes(128 - len(header))
    return header + struct.pack('>I', count) + table + data


def matrix_trc(name, white, red, green, blue, trc):
    return profile(b'RGB ', [
        (b'desc', description(name)),
        (b'cprt', copyright('no copyright, test data')),
        (b'wtpt', xyz(*white)),
        (b'rXYZ', xyz(*red)),
        (b'gXYZ', xyz(*green)),
        (b'bXYZ', xyz(*blue)),
        (b'rTRC', trc),
        (b'gTRC', trc),
        (b'bTRC', trc),
    ])


def adobe_like():
    return matrix_trc('Adobe RGB like test profile', (0.95045, 1.0, 1.08905), (0.60974, 0.31111, 0.01947),
                      (0.20528, 0.62567, 0.06087), (0.14919, 0.06322, 0.74457), curve(563 / 256))


def display_p3_like():
    srgb_curve = parametric(2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045)
    return matrix_trc('Display P3 like test profile', (0.96420, 1.0, 0.82491), (0.51512, 0.24120, -0.00105),
                      (0.29198, 0.69225, 0.04189), (0.15710, 0.06657, 0.78407), srgb_curve)


def srgb_by_name():
    def decode(v):
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    table = table_curve([int(round(decode(i / 1023) * 65535)) for i in range(1024)])
    return matrix_trc('sRGB in all but name, test profile', (0.95045, 1.0, 1.08905), (0.43607, 0.22249, 0.01392),
                      (0.38515, 0.71687, 0.09708), (0.14307, 0.06061, 0.71410), table)


def grey_linear():
    return profile(b'GRAY', [
        (b'desc', description('linear grey test profile')),
        (b'cprt', copyright('no copyright, test data')),
        (b'wtpt', xyz(0.9642, 1.0, 0.8249)),
        (b'kTRC', curve(1.0)),
    ])


folder = sys.argv[1]
for name, data in [('srgb.icc', ImageCms.ImageCmsProfile(ImageCms.createProfile('sRGB')).tobytes()),
                   ('adobe-like.icc', adobe_like()), ('grey-linear.icc', grey_linear()),
                   ('display-p3-like.icc', display_p3_like()), ('srgb-by-name.icc', srgb_by_name())]:
    with open(folder + '/' + name, 'wb') as f:
        f.write(data)
