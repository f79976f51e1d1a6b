"""Code page 932 as the Windows converter writes it, for the table generators.

Several characters have more than one code (JIS X 0208, the NEC row 13, the
IBM extension at 0xFA-0xFC and the NEC-selected copy of it at 0xED-0xEE).
Python's codec writes some of them with the 0xED/0xEE code; the platform
converter prefers, in order, JIS X 0208, NEC row 13 and the IBM extension,
which is the lowest code outside 0xED-0xEE.
"""


def _lead_bytes():
    return list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))


def _trail_bytes():
    return list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def _build():
    codes = {}
    for lead in _lead_bytes():
        for trail in _trail_bytes():
            try:
                u = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            if len(u) == 1:
                codes.setdefault(u, []).append((lead << 8) | trail)
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
