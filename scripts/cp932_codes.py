"""Code page 932 as the Windows converter writes it, for the table generators.

Several characters have more than one code (JIS X 0208, the NEC row 13, the
IBM extension at 0xFA-0xFC and the NEC-selected copy of it at 0xED-0xEE).
Python's codec writes some of them with the 0xED/0xEE code; the platform
converter prefers, in order, JIS X 0208, NEC row 13 and the IBM extension,
which is the lowest code outside 0xED-0xEE.
"""


LEAD_BYTES = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAIL_BYTES = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def double_byte_chars():
    """(code, character) of every defined two-byte code, in code order."""
    out = []
    for lead in LEAD_BYTES:
        for trail in TRAIL_BYTES:
            try:
                u = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            if len(u) == 1:
                out.append(((lead << 8) | trail, u))
    return out


def single_byte_chars():
    """(code, character) of every defined one-byte code (not lead bytes)."""
    out = []
    for c in range(0x00, 0x100):
        if c in LEAD_BYTES:
            continue
        try:
            out.append((c, bytes([c]).decode('cp932')))
        except UnicodeDecodeError:
            pass
    return out


def _build():
    codes = {}
    for code, u in double_byte_chars():
        codes.setdefault(u, []).append(code)
    pref = {}
    for u, cs in codes.items():
        outside = [c for c in cs if not 0xED00 <= c <= 0xEEFF]
        pref[u] = min(outside or cs)
    return pref


_PREFERRED = _build()


def encode(ch):
    """cp932 bytes of one character, or None when code page 932 cannot hold it."""
    if ch in _PREFERRED:
        return _PREFERRED[ch].to_bytes(2, 'big')
    try:
        return ch.encode('cp932')
    except UnicodeEncodeError:
        return None
