#!/usr/bin/env python3
"""Turns the benchmark's raw lines into Markdown tables: medians with their spread, and the
ratios to the floors as medians of the ratios within each round, with a 95% interval."""
import datetime, math, platform, re, statistics, subprocess, sys

raw, wine = sys.argv[1], sys.argv[2]
sizes, series, rounds, variant, runs = {}, {}, {}, '32', ['?'] * 4
for line in open(raw):
    parts = line.split()
    if not parts:
        continue
    if parts[0] in ('size', 'variant', 'runs'):
        if parts[0] == 'size':
            sizes[parts[1]] = [int(x) for x in parts[2:]]
        elif parts[0] == 'variant':
            variant = parts[1]
        else:
            runs = parts[1:]
        continue
    values = dict(re.findall(r'(\w+)=([\d.]+)', line))
    for key, value in values.items():
        if key not in ('round', 'program', 'exit', 'found', 'ok'):
            series.setdefault((parts[0], key), []).append(float(value))
            if 'round' in values:
                rounds.setdefault((parts[0], key), {})[values['round']] = float(value)


def stat(label, key, scale=1.0):
    values = [v / scale for v in series.get((label, key), [])]
    return (statistics.median(values), min(values), max(values), len(values)) if values else None


def fmt(s, unit, digits=0):
    if not s:
        return 'n/a'
    m, lo, hi, n = s
    return f'{m:.{digits}f} {unit} ({lo:.{digits}f}-{hi:.{digits}f}, n={n})'


def ratio(label, floor, key, floor_key=None):
    """Median of the per-round ratios, with a distribution-free 95% interval of that median
    (order statistics of the sorted ratios)."""
    ours, base = rounds.get((label, key), {}), rounds.get((floor, floor_key or key), {})
    values = sorted(ours[r] / base[r] for r in ours if r in base and base[r] > 0)
    n = len(values)
    if n == 0:
        return None
    half = 1.96 * math.sqrt(n) / 2  # few rounds: the interval is their whole range
    lo, hi = max(0, math.floor(n / 2 - half)), min(n - 1, math.ceil(n / 2 + half) - 1)
    return statistics.median(values), values[lo], values[hi], n


def fmt_ratio(r, target=''):
    if not r:
        return 'n/a'
    m, lo, hi, n = r
    return f'**{m:.2f}x** (95% interval {lo:.2f}-{hi:.2f}, n={n}){target}'


cpu = next((l.split(':', 1)[1].strip() for l in open('/proc/cpuinfo') if l.startswith('model name')), '?')
print(f'Machine: {cpu}, {subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()} cores; '
      f'{platform.system()} {platform.release()}; {wine}; {datetime.date.today()}; '
      f'rounds: {runs[0]} of the start-ups, {runs[1]} of the unattended installs, {runs[2]} of the MSI package and '
      f'the installs with the dialog, {runs[3]} of the 256 MiB copies\n')
print('Median (min-max, n runs). Times are milliseconds under Wine on a virtual display.')
if variant == '64':
    print('64-bit Wine: the figures are of the 64-bit build of setup.exe (the size is the shipped 32-bit one\'s); '
          'the NSIS installer is a 32-bit program and is not measurable here.')
print()
na = 'not measurable (32-bit)' if variant == '64' else 'n/a'


def peer(s, unit, digits=0):
    return fmt(s, unit, digits) if s else na


ours = sizes.get('ours', [0])[0]
nsis, msi = sizes.get('nsis', [0, 0]), sizes.get('msi', [0, 0])
MiB = 1048576
print('| Measure | setup.exe | NSIS | MSI | Target |')
print('|---|---|---|---|---|')
print(f'| Size (bytes; peers: installer with an empty payload) | {ours} | {nsis[0]} (with payload {nsis[1]}) | '
      f'{msi[0]} (with payload {msi[1]}) | <= 57344 and below both peers |')
print(f'| Start-up to the first visible window | {fmt(stat("startup-ours", "startup_ms"), "ms")} | '
      f'{peer(stat("startup-nsis", "startup_ms"), "ms")} | n/a: no dialog | <= 1.0x the faster peer |')
print(f'| Unattended install, start to end (`/s`, NSIS `/S`, MSI `/qn`) | {fmt(stat("silent-ours", "run_ms"), "ms")} | '
      f'{peer(stat("silent-nsis", "run_ms"), "ms")} | {fmt(stat("silent-msi", "run_ms"), "ms")} | '
      f'<= 1.0x the faster peer |')
print(f'| Peak working set, unattended | {fmt(stat("silent-ours", "peak_bytes", MiB), "MiB", 1)} | '
      f'{peer(stat("silent-nsis", "peak_bytes", MiB), "MiB", 1)} | '
      f'{fmt(stat("silent-msi", "peak_bytes", MiB), "MiB", 1)} (the msiexec client) | |')
print(f'| Install with the dialog, from the start button (NSIS: its pages driven) to the end | '
      f'{fmt(stat("dialog-ours", "install_ms"), "ms")} | {peer(stat("dialog-nsis", "pages_ms"), "ms")} | n/a | |')
print(f'| Peak working set, with the dialog | {fmt(stat("dialog-ours", "peak_bytes", MiB), "MiB", 1)} | '
      f'{peer(stat("dialog-nsis", "peak_bytes", MiB), "MiB", 1)} | n/a | |')

print(f'\nThe unattended install against its floor (the same system work alone), per round: '
      f'{fmt_ratio(ratio("silent-ours", "silent-floor", "run_ms"), " (target <= 1.10x)")}; '
      f'the floor took {fmt(stat("silent-floor", "run_ms"), "ms")}.')
print(f'\nStart-up against the floor (an empty dialog), per round: '
      f'{fmt_ratio(ratio("startup-ours", "startup-floor", "startup_ms"), " (target <= 1.15x)")}.\n')
print('| Program | Start-up | Ratio to the floor |')
print('|---|---|---|')
for label, name in [('startup-floor', 'floor: an empty dialog'),
                    ('startup-floor-ole', 'floor + CoInitialize'),
                    ('startup-floor-comctl', 'floor + common controls (load, InitCommonControls)'),
                    ('startup-floor-shell', 'floor + shell library loaded'),
                    ('startup-floor-ole-comctl-shell', "floor + all three (setup.exe's start-up steps)"),
                    ('startup-ours', 'setup.exe')]:
    s = stat(label, 'startup_ms')
    if s:
        r = ratio(label, 'startup-floor', 'startup_ms') if label != 'startup-floor' else None
        print(f'| {name} | {fmt(s, "ms")} | {fmt_ratio(r) if r else "1.00x"} |')

big, small, cp = stat('copy-big', 'install_ms'), stat('dialog-ours', 'install_ms'), stat('copy-cp', 'cp_ms')
dd = stat('copy-dd', 'dd_ms')
if big and small and cp:
    copy = big[0] - small[0]
    throughput = cp[0] / copy if copy > 0 else float('nan')
    print(f'\nCopy of a 256 MiB qwill.exe: install {big[0]:.0f} ms ({big[1]:.0f}-{big[2]:.0f}) minus the normal install '
          f'{small[0]:.0f} ms = {copy:.0f} ms for the copy; `cp` of the same file on the same disk '
          f'{fmt(cp, "ms")}; throughput ratio (cp time / our copy time) {throughput:.2f} (target >= 0.9). '
          f'For context, `dd bs=64K` (a copy through user space) {fmt(dd, "ms")}.')

plain, unflushed, replace = stat('copy-copy', 'copy_ms'), stat('copy-unflushed', 'unflushed_ms'), stat('copy-replace', 'replace_ms')
if plain and unflushed and replace:
    print(f'\nCopy over an existing 256 MiB file, until the new file is on the disk: the system\'s CopyFileA '
          f'{fmt(plain, "ms")}; setup.exe\'s copy without writing it out before the move {fmt(unflushed, "ms")}; '
          f'setup.exe\'s copy {fmt(replace, "ms")}. Writing out first costs '
          f'{fmt_ratio(ratio("copy-replace", "copy-unflushed", "replace_ms", "unflushed_ms"), " (target <= 1.1x)")}; '
          f'against the plain copy {fmt_ratio(ratio("copy-replace", "copy-copy", "replace_ms", "copy_ms"), " (target <= 1.1x)")}.')
