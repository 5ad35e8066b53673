#!/usr/bin/env python3
"""Turns the benchmark's raw lines into Markdown tables: medians with their spread; every ratio
as the median of the ratios within each round, with a 95% interval; the targets and whether
they are met; where setup.exe's time goes (the floors' steps, its step log)."""
import datetime, math, platform, re, statistics, subprocess, sys

raw, wine = sys.argv[1], sys.argv[2]
sizes, series, rounds, variant, runs, steplog, failed = {}, {}, {}, '32', ['?'] * 4, [], {}
for line in open(raw, encoding='utf-8', errors='replace'):
    parts = line.split()
    if not parts:
        continue
    if parts[0] == 'steplog':
        steplog.append(line.rstrip('\n').split(' ', 1)[1] if ' ' in line.strip() else '')
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
    if parts[0].startswith('silent') and values.get('exit', '0') != '0':
        failed[parts[0]] = failed.get(parts[0], 0) + 1
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


def per_round(label, base, key, base_key=None, op=lambda a, b: a / b):
    """Median of op(ours, base) within each round, with a distribution-free 95% interval of
    that median (order statistics of the sorted values)."""
    ours, other = rounds.get((label, key), {}), rounds.get((base, base_key or key), {})
    values = sorted(op(ours[r], other[r]) for r in ours if r in other and other[r] > 0)
    n = len(values)
    if n == 0:
        return None
    half = 1.96 * math.sqrt(n) / 2  # few rounds: the interval is their whole range
    lo, hi = max(0, math.floor(n / 2 - half)), min(n - 1, math.ceil(n / 2 + half) - 1)
    return statistics.median(values), values[lo], values[hi], n


def ratio(label, base, key, base_key=None):
    return per_round(label, base, key, base_key)


def difference(label, base, key):
    return per_round(label, base, key, op=lambda a, b: a - b)


def fmt_ratio(r, target=''):
    if not r:
        return 'n/a'
    m, lo, hi, n = r
    return f'**{m:.2f}x** (95% interval {lo:.2f}-{hi:.2f}, n={n}){target}'


def verdict(r, target, strict=False):
    """met: the whole interval within the target; missed: none of it."""
    if not r:
        return 'not measured'
    within = (lambda x: x < target) if strict else (lambda x: x <= target)
    m, lo, hi, n = r
    if within(hi):
        return 'met'
    if not within(lo):
        return 'missed'
    return 'met by the median, not by the whole interval' if within(m) else 'missed by the median, not by the whole interval'


cpu = next((l.split(':', 1)[1].strip() for l in open('/proc/cpuinfo') if l.startswith('model name')), '?')
print(f'Machine: {cpu}, {subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()} cores; '
      f'{platform.system()} {platform.release()}; {wine}; {datetime.date.today()}; '
      f'rounds: {runs[0]} of the start-ups, {runs[1]} of the unattended installs (the MSI package\'s among them), '
      f'{runs[2]} of the installs with the dialog and of the unattended runs with a step log, '
      f'{runs[3]} of the 256 MiB copies\n')
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
      f'{msi[0]} (with payload {msi[1]}) | <= 61440 and below both peers |')
print(f'| Start-up to the first visible window | {fmt(stat("startup-ours", "startup_ms"), "ms")} | '
      f'{peer(stat("startup-nsis", "startup_ms"), "ms")} | n/a: no dialog | <= 1.0x the faster peer |')
print(f'| Unattended install, start to end (`/s`, NSIS `/S`, MSI `/qn`) | {fmt(stat("silent-ours", "run_ms"), "ms")} | '
      f'{peer(stat("silent-nsis", "run_ms"), "ms")} | {fmt(stat("silent-msi", "run_ms"), "ms")} | '
      f'<= 1.0x the faster peer |')
print(f'| Peak working set, unattended | {fmt(stat("silent-ours", "peak_bytes", MiB), "MiB", 1)} | '
      f'{peer(stat("silent-nsis", "peak_bytes", MiB), "MiB", 1)} | '
      f'{fmt(stat("silent-msi", "peak_bytes", MiB), "MiB", 1)} (the msiexec client) | below both peers |')
print(f'| Install with the dialog, from the start button (NSIS: its pages driven) to the end | '
      f'{fmt(stat("dialog-ours", "install_ms"), "ms")} | {peer(stat("dialog-nsis", "pages_ms"), "ms")} | n/a | |')
print(f'| Peak working set, with the dialog | {fmt(stat("dialog-ours", "peak_bytes", MiB), "MiB", 1)} | '
      f'{peer(stat("dialog-nsis", "peak_bytes", MiB), "MiB", 1)} | n/a | |')


# (label, base, key, what, target, strict): every ratio within the rounds; targets of the issue
# and the standing ones (the faster peer)
RATIOS = [
    ('startup-ours', 'startup-dialogfloor', 'startup_ms',
     "setup.exe's start-up to the same-work floor (its manifest, start, dialog and option sheet)", 1.10, False),
    ('startup-ours', 'startup-floor', 'startup_ms', "setup.exe's start-up to the empty-dialog floor", None, False),
    ('startup-dialogfloor', 'startup-floor', 'startup_ms', 'the same-work floor to the empty-dialog floor', None, False),
    ('startup-ours', 'startup-nsis', 'startup_ms', "setup.exe's start-up to the NSIS installer's", 1.0, False),
    ('silent-ours', 'silent-setupfloor', 'run_ms',
     "setup.exe's unattended install to the same-work install floor (setup.exe's start, then the system work)",
     1.10, False),
    ('silent-ours', 'silent-floor', 'run_ms', "setup.exe's unattended install to the bare install floor", None, False),
    ('silent-setupfloor', 'silent-floor', 'run_ms', 'the same-work install floor to the bare one', None, False),
    ('silent-ours', 'silent-nsis', 'run_ms', "setup.exe's unattended install to NSIS's silent one (`/S`)", 1.0, True),
    ('silent-ours', 'silent-msi', 'run_ms', "setup.exe's unattended install to the MSI package's (`/qn`)", 1.0, False),
    ('silent-ours', 'silent-nsis', 'peak_bytes', "setup.exe's peak working set, unattended, to NSIS's", 1.0, True),
    ('silent-ours', 'silent-msi', 'peak_bytes', "setup.exe's peak working set, unattended, to the msiexec client's",
     1.0, True),
]
print('\n| Ratio, the median of the ratios within the rounds | Value (95% interval) | Target | Met? |')
print('|---|---|---|---|')
verdicts = []
for label, base, key, what, target, strict in RATIOS:
    r = ratio(label, base, key)
    if not r and base.endswith('nsis') and variant == '64':
        print(f'| {what} | {na} | | |')
        verdicts.append((what, ('< ' if strict else '<= ') + f'{target:.2f}x', None, na))
        continue
    mark = ('< ' if strict else '<= ') + f'{target:.2f}x' if target else ''
    v = verdict(r, target, strict) if target else ''
    print(f'| {what} | {fmt_ratio(r)} | {mark} | {v} |')
    if target:
        verdicts.append((what, mark, r, v))

print('\nTargets:')
size_ok = ours <= 61440 and ours < nsis[0] and ours < msi[0]
print(f'- size {ours} bytes, <= 61440 and below both peers\' empty-payload installers: '
      f'**{"met" if size_ok else "missed"}**' + ('' if size_ok else
      f' ({"over 61440; " if ours > 61440 else ""}{"NSIS " if ours >= nsis[0] else ""}'
      f'{"MSI " if ours >= msi[0] else ""}smaller)'))
for what, mark, r, v in verdicts:
    print(f'- {what}, {mark}: **{v}**' + (f' ({r[0]:.2f}x, 95% interval {r[1]:.2f}-{r[2]:.2f})' if r else ''))
for label, count in sorted(failed.items()):
    print(f'- warning: {count} runs of {label} did not end with exit code 0')

print('\n### Where the start-up time goes\n')
print('| Program | Start-up | Ratio to the empty-dialog floor |')
print('|---|---|---|')
for label, name in [('startup-floor', 'floor: an empty dialog'),
                    ('startup-floor-ole', 'floor + CoInitialize'),
                    ('startup-floor-comctl', 'floor + common controls (load, InitCommonControls)'),
                    ('startup-floor-shell', 'floor + shell library loaded'),
                    ('startup-floor-ole-comctl-shell', "floor + all three (setup.exe's start-up steps)"),
                    ('startup-dialogfloor', "same-work floor: setup.exe's manifest, start, dialog and option sheet"),
                    ('startup-ours', 'setup.exe')]:
    s = stat(label, 'startup_ms')
    if s:
        r = ratio(label, 'startup-floor', 'startup_ms') if label != 'startup-floor' else None
        print(f'| {name} | {fmt(s, "ms")} | {fmt_ratio(r) if r else "1.00x"} |')
d, v = difference('startup-ours', 'startup-dialogfloor', 'startup_ms'), verdicts[0][3] if verdicts else ''
if d:
    print(f'\nsetup.exe\'s start-up less the same-work floor\'s, per round: {d[0]:+.1f} ms (95% interval '
          f'{d[1]:+.1f} to {d[2]:+.1f}).' + ('' if v == 'met' else
          ' What setup.exe does before its dialog shows and the floor does not: it imports four more libraries '
          '(advapi32, oleaut32, shell32, msvcrt), registers its window class, reads its command line and switches, '
          'asks whether a person can see its window station and takes the one-setup mutex; both fill the dialog '
          'after it shows. What the same work costs over an empty dialog is in the floor rows above.'))

print('\n### Where the unattended install\'s time goes\n')
d = difference('silent-ours', 'silent-setupfloor', 'run_ms')
start = ratio('start-ours', 'start-setupfloor', 'run_ms')
if d:
    print(f'setup.exe\'s unattended install less the same-work install floor\'s, per round: {d[0]:+.1f} ms (95% '
          f'interval {d[1]:+.1f} to {d[2]:+.1f}). Their starts alone (setup.exe: `/s` with a switch it does not '
          f'know, which ends it before any step; the floor: no arguments): {fmt(stat("start-ours", "run_ms"), "ms")} '
          f'against {fmt(stat("start-setupfloor", "run_ms"), "ms")}, {fmt_ratio(start)}. The rest is in its step '
          f'log below.')


def ms_of_day(stamp):
    h, m, rest = stamp.split(':')
    return (int(h) * 60 + int(m)) * 60000 + round(float(rest) * 1000)


def short(text):
    """Each path as its last two parts: the step's name, not the machine's folders."""
    return re.sub(r'[A-Za-z]:\\[^:>,]*?(?=: |, | -> |$)', lambda m: '\\'.join(m.group(0).split('\\')[-2:]), text)


logs = []  # each run: [(ms, text)]
for line in steplog:
    m = re.match(r'(\d\d:\d\d:\d\d\.\d\d\d) (.*)', line)
    if not m:
        continue
    if m.group(2).startswith('===='):
        logs.append([])
    if logs:
        logs[-1].append((ms_of_day(m.group(1)), m.group(2)))
if logs:
    steps = {}  # position in the run -> (text, times since the line before)
    for run in logs:
        for i in range(1, len(run)):
            steps.setdefault(i, (short(run[i][1]), []))[1].append(run[i][0] - run[i - 1][0])
    spans = {str(k + 1): run[-1][0] - run[0][0] for k, run in enumerate(logs)}
    totals = rounds.get(('silent-ours-log', 'run_ms'), {})
    before = [totals[k] - spans[k] for k in spans if k in totals]
    print(f'\nsetup.exe\'s step log (`/s /log=...`, {len(logs)} runs; a run with the log takes '
          f'{fmt(stat("silent-ours-log", "run_ms"), "ms")}): each line with the milliseconds since the line '
          f'before, the step that ends with it, median over the runs:\n')
    print('| Step (the log\'s line) | ms |')
    print('|---|---|')
    if before:
        print(f'| the process\'s start to the log\'s first line, and its end after the last (the run\'s time less '
              f'the log\'s) | '
              f'{statistics.median(before):.0f} |')
    for i, (text, times) in sorted(steps.items()):
        print(f'| {text} | {statistics.median(times):.0f} (max {max(times)}) |')

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
