#!/usr/bin/env python3
"""Turns the benchmark's raw lines into a Markdown table: median and spread (min-max)."""
import platform, re, statistics, subprocess, sys, datetime

raw, wine = sys.argv[1], sys.argv[2]
sizes, series, variant = {}, {}, '32'
for line in open(raw):
    parts = line.split()
    if not parts:
        continue
    if parts[0] == 'size':
        sizes[parts[1]] = [int(x) for x in parts[2:]]
        continue
    if parts[0] == 'variant':
        variant = parts[1]
        continue
    for key, value in re.findall(r'(\w+)=([\d.]+)', line):
        series.setdefault((parts[0], key), []).append(float(value))

def stat(label, key, scale=1.0):
    values = [v / scale for v in series.get((label, key), [])]
    if not values:
        return None
    return statistics.median(values), min(values), max(values), len(values)

def fmt(s, unit, digits=0):
    if not s:
        return 'n/a'
    m, lo, hi, n = s
    return f'{m:.{digits}f} {unit} ({lo:.{digits}f}-{hi:.{digits}f}, n={n})'

cpu = next((l.split(':', 1)[1].strip() for l in open('/proc/cpuinfo') if l.startswith('model name')), '?')
print(f'Machine: {cpu}, {subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()} cores; '
      f'{platform.system()} {platform.release()}; {wine}; {datetime.date.today()}\n')
print('Median (min-max, n runs). Times are milliseconds under Wine on a virtual display.')
if variant == '64':
    print('64-bit Wine: the figures are of the 64-bit build of setup.exe (the size is the shipped 32-bit one\'s); '
          'the NSIS installer is a 32-bit program and is not measurable here.')
print()
nsis_na = 'not measurable (32-bit)' if variant == '64' else 'n/a'

print('| Measure | setup.exe | NSIS | MSI | Target |')
print('|---|---|---|---|---|')
ours = sizes.get('ours', [0])[0]
nsis, msi = sizes.get('nsis', [0, 0]), sizes.get('msi', [0, 0])
print(f'| Size (bytes; peers: installer with an empty payload) | {ours} | {nsis[0]} (with payload {nsis[1]}) | '
      f'{msi[0]} (with payload {msi[1]}) | <= 49152 and below both peers |')
def peer(s, unit, digits=0):
    return fmt(s, unit, digits) if s else nsis_na

print(f'| Start-up to first visible window | {fmt(stat("startup-ours", "startup_ms"), "ms")} | '
      f'{peer(stat("startup-nsis", "startup_ms"), "ms")} | n/a: no dialog (see notes) | <= 1.0x the faster peer |')
print(f'| Install (ours: start button to exit) | {fmt(stat("install-ours", "install_ms"), "ms")} | '
      f'{peer(stat("install-nsis", "run_ms"), "ms")} | {fmt(stat("install-msi", "run_ms"), "ms")} | '
      f'<= 1.0x the faster peer |')
print(f'| Peak working set of the installer process | {fmt(stat("install-ours", "peak_bytes", 1048576), "MiB", 1)} | '
      f'{peer(stat("install-nsis", "peak_bytes", 1048576), "MiB", 1)} | {fmt(stat("install-msi", "peak_bytes", 1048576), "MiB", 1)} | |')

floor, ours_start = stat('startup-floor', 'startup_ms'), stat('startup-ours', 'startup_ms')
if floor and ours_start:
    print(f'\nStart-up against the floor (an empty dialog of our own, measured alternately with setup.exe): '
          f'ratio {ours_start[0] / floor[0]:.2f}x (target <= 1.15x).\n')
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
            print(f'| {name} | {fmt(s, "ms")} | {s[0] / floor[0]:.2f}x |')

big, small, cp = stat('copy-big', 'install_ms'), stat('install-ours', 'install_ms'), stat('copy-cp', 'cp_ms')
dd = stat('copy-dd', 'dd_ms')
if big and small and cp:
    copy = big[0] - small[0]
    ratio = cp[0] / copy if copy > 0 else float('nan')
    print(f'\nCopy of a 256 MiB qwill.exe: install {big[0]:.0f} ms ({big[1]:.0f}-{big[2]:.0f}) minus the normal install '
          f'{small[0]:.0f} ms = {copy:.0f} ms for the copy; `cp` of the same file on the same disk '
          f'{fmt(cp, "ms")}; throughput ratio (cp time / our copy time) {ratio:.2f} (target >= 0.9). '
          f'For context, `dd bs=64K` (a copy through user space) {fmt(dd, "ms")}.')

plain, replace = stat('copy-copy', 'copy_ms'), stat('copy-replace', 'replace_ms')
plain_flush, replace_flush = stat('copy-copy-flush', 'copy_ms'), stat('copy-replace-flush', 'replace_ms')
if plain and replace:
    print(f'\nCopy over an existing 256 MiB file: the system\'s CopyFileA {fmt(plain, "ms")}; setup.exe\'s copy '
          f'(to a file beside it, then put in place in one step) {fmt(replace, "ms")}: ratio '
          f'{replace[0] / plain[0]:.2f}x (target <= 1.1x).')
if plain_flush and replace_flush:
    print(f'Both until the new file is on the disk: {fmt(plain_flush, "ms")} and {fmt(replace_flush, "ms")}: '
          f'ratio {replace_flush[0] / plain_flush[0]:.2f}x.')
