// SPDX-License-Identifier: GPL-3.0-or-later
// What the page tests share, whatever drives the browser: the arguments, the
// design (design.json), the native build's reports, a person's steps on the
// page through a driver of drivers.js, and the layout's table of cases.
'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const { after, before, describe, test } = require('node:test');
const { spawnSync } = require('child_process');
const { parseArgs } = require('util');

// --site DIR --design design.json --report-dump PATH [--generate PATH] [WORD...]
const { values: options, positionals } = parseArgs({
  allowPositionals: true,
  options: Object.fromEntries(['site', 'design', 'report-dump', 'generate'].map((o) => [o, { type: 'string' }])),
});
const args = { ...options, words: positionals };
for (const key of ['site', 'design', 'report-dump']) {
  if (args[key] && fs.existsSync(args[key])) continue;
  console.error(`--${key}: ${args[key] || '(not given)'} is missing` +
    (key === 'report-dump' ? ' (the native build\'s tests; CMake: -DTEGLOMER_NATIVE_TOOLS=DIR)' : ''));
  process.exit(2);
}

// --- the design, the native reports ------------------------------------------

const design = JSON.parse(fs.readFileSync(args.design, 'utf8'));
const control = Object.fromEntries(design.controls.map((c) => [c.name, c]));
const idOf = (name) => control[name].id;
const q = (name) => `[id="${idOf(name)}"]`;  // a design control, e.g. q('Text2(0)')
const optionLabel = (m, group = design.methodOptions) => `label[for="${idOf(`${group}(${m})`)}"]`;
// The boxes in the form's order (height, weight, chest girth, years,
// months), and the sex's options: a person's fields as report_dump reads
// them, the last the index of the sex checked ('' for none).
const BOXES = design.boxCaptions.map((b) => b.box);
const OPTIONS = design.controls.filter((c) => c.kind === 'option').map((c) => c.name);
const SEXES = OPTIONS.filter((o) => control[o].group === design.sexOptions);
const FIELDS = BOXES.length + 1;
const person = (boxes) => Array.from({ length: FIELDS }, (_, i) => boxes[i] ?? '');
const lf = (text) => text.replace(/\r\n/g, '\n');
// A design colour (#rrggbb) as a computed style gives it.
const rgb = (hex) => `rgb(${hex.match(/[0-9a-f]{2}/g).map((x) => parseInt(x, 16)).join(', ')})`;
const SEPARATOR = { 'bg-BG': ',', 'en-US': '.' };
// The page's own parts, as its template names them.
const PAGE = { window: 'window', warning: 'warning', message: 'warning-message', ok: 'warning-ok',
  announcer: 'announcer' };

// The native build's reports for [{method, separator, boxes: [h, w, chest,
// years, months, sex]}] (missing fields empty), one report_dump run for the
// lot, as {output, warnings, announced, strip, boxes}: what the output box
// shows, the warnings, what a screen reader is told, the scale under the
// report (its marks' places along the bar, 0 to 1, the lines under it, a
// line with nothing to say hidden: null, its name, and its bands and
// boundaries).
function nativeReports(cases) {
  const input = cases.map((c) => {
    const fields = [c.method, c.separator, ...person(c.boxes)].map(String);
    if (fields.some((f) => /[\t\n]/.test(f))) throw new Error(`a tab or line feed in ${JSON.stringify(fields)}`);
    return fields.join('\t') + '\n';
  }).join('');
  // A program of the WebAssembly build runs under this Node.js.
  const run = (program, ...words) => {
    const [command, argv] = program.endsWith('.js') ? [process.execPath, [program, ...words]] : [program, words];
    const done = spawnSync(command, argv, { input, encoding: 'utf8', maxBuffer: 1 << 28 });
    if (done.status !== 0) throw new Error(`${program} failed (${done.status}): ${done.stderr}`);
    const lines = done.stdout.split('\n').filter(Boolean);
    if (lines.length !== cases.length) throw new Error(`${program}: ${lines.length} lines for ${cases.length} cases`);
    return lines;
  };
  return run(args['report-dump'], 'cases').map((line, i) => {
    const r = JSON.parse(line);
    // A textarea's value holds line feeds only; the window's CR LF must be
    // whole, with no lone CR or LF, before it is compared as LF.
    if (/\r(?!\n)|(?<!\r)\n/.test(r.output)) throw new Error(`native report with a lone CR or LF: ${line}`);
    const strip = { ...r.strip, rangeNote: r.strip.rangeNote || null, scopeNote: r.strip.scopeNote || null,
      bands: r.strip.bands.map((b) => ({ ...b, colour: `rgb(${b.colour.join(', ')})` })) };
    return { output: lf(r.output), warnings: r.warnings, announced: r.announcement, strip,
      boxes: person(cases[i].boxes) };
  });
}
const native = (method, boxes, language = 'bg-BG') =>
  nativeReports([{ method, separator: SEPARATOR[language], boxes }])[0];

// A step that may never end (e.g. a service worker that never installs) fails instead.
const within = (promise, ms, what) => Promise.race([promise,
  new Promise((_, fail) => setTimeout(() => fail(new Error(`${what}: not within ${ms / 1000} s`)), ms).unref())]);
// Until fn() gives something true, at most ms.
async function until(fn, ms, what) {
  for (const end = Date.now() + ms; ;) {
    const got = await fn();
    if (got) return got;
    if (Date.now() > end) throw new Error(`${what}: not within ${ms / 1000} s`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// --- a person's steps on the page, through a driver d -----------------------

// Ready, and two frames on: the output box's autofocus, which a browser
// applies when it next renders, has taken the focus and will not take it
// from a box the test has focused since.
const waitReady = async (d) => {
  await until(() => d.evaluate(() => document.documentElement.dataset.ready === '1'), 15000, 'the page ready');
  await d.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => r(true)))));
};
// What the design's controls hold (an option: whether it is checked), in order.
const values = (d, names) => d.evaluate((ids) => ids.map((i) => {
  const el = document.getElementById(i);
  return el.type === 'radio' ? el.checked : el.value;
}), names.map(idOf));
const value = async (d, name) => (await values(d, [name]))[0];
const isShown = (d, name) => d.evaluate((i) => {
  const el = document.getElementById(i);
  return !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
}, idOf(name));
const focused = (d) => d.evaluate(() => document.activeElement && document.activeElement.id);
const warningOpen = (d) => d.evaluate((i) => document.getElementById(i).open, PAGE.warning);
// Text put into a box all at once, as a paste puts it (the browser's own
// editing command, which keeps the box's limits as a paste does).
const paste = (d, name, text) => d.evaluate(([i, t]) => {
  document.getElementById(i).focus();
  document.execCommand('selectAll');
  document.execCommand('insertText', false, t);
}, [idOf(name), text]);

// Closes whatever warnings a step opened, by a key or 'click'; their messages.
async function closeWarnings(d, how = 'Escape') {
  const messages = [];
  for (let n = 0; n < 5 && await warningOpen(d); n++) {
    messages.push(await d.evaluate((i) => document.getElementById(i).textContent, PAGE.message));
    await (how === 'click' ? d.click(`#${PAGE.ok}`) : d.press(null, how));
    // The focus goes back on the dialog's close event, a task after it shuts:
    // typing before then would go where the focus is about to leave.
    await d.evaluate(() => new Promise((done) => requestAnimationFrame(() => setTimeout(done))));
  }
  return messages;
}

// A report as a person makes it: the option clicked (tapped when `how` is
// 'tap'; none when method is null), the shown boxes filled where they hold
// another text, the sex clicked where one is given and not yet checked
// (none can be unchecked), then `how`: 'click' or 'tap' on Calculate,
// 'box N' for Enter in box N, or a key ('Enter', 'Space') on Calculate
// focused. The warnings are closed by `close` (left open when null).
// -> {output, warnings, announced, strip, boxes}, the boxes and the sex as
// they are held.
async function report(d, { method = null, boxes, how = 'click', close = 'Escape' }) {
  const press = (selector) => (how === 'tap' ? d.tap(selector) : d.click(selector));
  const want = person(boxes);
  if (method !== null) await press(optionLabel(method));
  // What each box holds (null while hidden), then the sex checked.
  const held = () => d.evaluate(([ids, sexes]) => {
    const checked = sexes.findIndex((i) => document.getElementById(i).checked);
    return [...ids.map((i) => document.getElementById(i)).map((el) => (el.hidden ? null : el.value)),
      checked < 0 ? '' : String(checked)];
  }, [BOXES.map(idOf), SEXES.map(idOf)]);
  const before = await held();
  for (const [i, name] of BOXES.entries()) {
    if (before[i] !== null && before[i] !== want[i]) await d.fill(q(name), want[i]);
  }
  if (want[BOXES.length] !== '' && want[BOXES.length] !== before[BOXES.length]) {
    await press(optionLabel(want[BOXES.length], design.sexOptions));
  }
  const typed = await held();
  BOXES.forEach((name, i) => typed[i] !== null &&
    assert.equal(typed[i], want[i].slice(0, control[name].maxLength), `${name} after typing`));
  const box = /^box (\d)$/.exec(how);
  if (box) await d.press(q(BOXES[box[1]]), 'Enter');
  else if (how === 'click' || how === 'tap') await press(q('Command1(0)'));
  else await d.press(q('Command1(0)'), how);
  const warnings = close ? await closeWarnings(d, close) : [];
  const [output, ...texts] = await values(d, ['Text1(0)', ...BOXES]);
  const sex = (await held())[BOXES.length];
  return { output, warnings, announced: await announced(d), strip: await strip(d), boxes: [...texts, sex] };
}
// What the live region last said.
const announced = (d) => d.evaluate((id) => document.getElementById(id).textContent, PAGE.announcer);

// The scale as the page shows it: each mark's place along the bar (the
// middle of its head, from the bar's left end, in pixels; `at` over the
// bar's width gives the native `along`) and the way it lies beyond an end,
// the lines under it (null while hidden), the scale's name, and the bands
// and boundaries it shows (their places in pixels likewise, a band's
// colour, a boundary's label and whether it is a minor one).
const SCALE = design.controls.find((c) => c.kind === 'scale');
const strip = (d) => d.evaluate(([id, notes, inset, bands, boundaries, minor]) => {
  const r = document.getElementById(id).getBoundingClientRect();
  const shown = (el) => !el.hasAttribute('hidden');
  const along = (el) => {
    const box = el.getBoundingClientRect();
    return [box.left - r.left - inset, box.left + box.width / 2 - r.left - inset, box.right - r.left - inset];
  };
  const mark = (which) => {
    const [m, before, after] = ['', '-before', '-after'].map((end) => document.getElementById(`${id}-${which}${end}`));
    return shown(m) ? { at: along(m.querySelector('polygon'))[1], beyond: shown(before) ? -1 : +shown(after) } : null;
  };
  const [rangeNote, scopeNote] = notes.map((n) => document.getElementById(n)).map((el) => (shown(el) ? el.textContent : null));
  return { width: r.width - 2 * inset, standing: mark('standing'), desired: mark('desired'), rangeNote, scopeNote,
    name: document.getElementById(id).getAttribute('aria-label'),
    bands: bands.map((b) => document.getElementById(b)).filter(shown).map((b) => {
      const [from, , to] = along(b);
      return { from, to, colour: getComputedStyle(b).fill };
    }),
    boundaries: boundaries.map(([b, l]) => [document.getElementById(b), document.getElementById(l)])
      .filter(([b]) => shown(b)).map(([b, l]) => ({ at: along(b.querySelector('line'))[1], label: l.textContent,
        minor: l.classList.contains(minor) })) };
}, [SCALE.id, [design.rangeNote, design.scopeNote].map(idOf), design.strip.inset, design.strip.bands.map((b) => b.id),
  design.strip.boundaries.map((b) => [b.id, b.labelId]), design.strip.minorClass]);
// The scale at start and after Clear: the adults' bands alone, as the
// generator drew them, and the scope line.
const SCALE_AT_START = { standing: null, desired: null, rangeNote: null, scopeNote: control[design.scopeNote].caption,
  name: design.strip.name,
  bands: design.strip.bands.filter((b) => !b.hidden).map((b) => ({ from: b.from / 100, to: (b.from + b.width) / 100,
    colour: rgb(b.colour) })),
  boundaries: design.strip.boundaries.filter((b) => !b.hidden).map((b) => ({ at: b.at / 100, label: b.label,
    minor: b.minor })) };
// The scale as shown against a native strip, where each place along the bar
// (a mark, a band's ends, a boundary) within 0.75 px of its native place
// counts as that: the window's are as near, so the two within 1.5 px.
function scaleAs(got, want) {
  const { width, ...shown } = got;
  const near = (px, wanted) => (wanted !== undefined && Math.abs(px - wanted * width) <= 0.75 ? wanted : px / width);
  for (const which of ['standing', 'desired']) {
    const mark = shown[which];
    if (mark) shown[which] = { along: near(mark.at, want[which] ? want[which].along : undefined), beyond: mark.beyond };
  }
  shown.bands = shown.bands.map((b, i) => ({ from: near(b.from, (want.bands[i] || {}).from),
    to: near(b.to, (want.bands[i] || {}).to), colour: b.colour }));
  shown.boundaries = shown.boundaries.map((b, i) => ({ at: near(b.at, (want.boundaries[i] || {}).at), label: b.label,
    minor: b.minor }));
  return shown;
}
// What the scale shows against the scale at start.
const scaleShown = async (d) => scaleAs(await strip(d), SCALE_AT_START);
// A page's report as the native one, its scale as scaleAs() reads it.
const asNative = (got, want) => ({ ...got, strip: scaleAs(got.strip, want.strip) });

// A report made on the page, against the native one for what its boxes hold
// (with the method chosen last when none is clicked).
async function checkReport(d, options, method = options.method, language = 'bg-BG') {
  const got = await report(d, options);
  const want = native(method, got.boxes, language);
  assert.deepEqual(asNative(got, want), want, 'report');
}

// Cases on a page of their own (on.d, which open() gives), then that the page
// had no script error or CSP violation; then `last`, cases that make some.
function onPage(name, open, cases, last = () => {}) {
  describe(name, () => {
    const on = {};
    before(async () => { on.d = await open(); });
    after(() => on.d && on.d.close());
    cases(on);
    test('no script errors, no CSP violations', async () => assert.deepEqual(await on.d.problems(), [], 'seen'));
    last(on);
  });
}

// --- the layout --------------------------------------------------------------

// The window as the page draws it.
const measureWindow = (d) => d.evaluate(({ id, output, controls }) => {
  const w = document.getElementById(id);
  const cs = getComputedStyle(w);
  const shown = (el) => !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
  return { width: w.getBoundingClientRect().width, height: w.getBoundingClientRect().height,
    colour: cs.backgroundColor, 'font size': Math.round(parseFloat(cs.fontSize) * 100) / 100,
    'font family': cs.fontFamily.split(',')[0].replace(/"/g, ''), title: document.title,
    language: document.documentElement.lang, output: document.getElementById(output).value,
    'shown at start': controls.filter((c) => shown(document.getElementById(c.id))).map((c) => c.name) };
}, { id: PAGE.window, output: idOf('Text1(0)'), controls: design.controls.map(({ name, id }) => ({ name, id })) });
// Each control's face (relative to the window), its colour and caption, and
// whether the caption is cut: its text out of the face, or the face's
// content overflowing it.
const measureControls = (d) => d.evaluate(({ win, controls }) => Object.fromEntries(controls.map((c) => {
  const face = document.getElementById(c.faceId);
  const w = document.getElementById(win).getBoundingClientRect();
  const r = face.getBoundingClientRect();
  // The caption's own text (an option's is in its label) within the face.
  const holder = c.kind === 'option' ? document.querySelector(`label[for="${c.id}"]`) : face;
  const range = document.createRange();
  range.selectNodeContents(holder);
  const t = range.getBoundingClientRect();
  const out = t.width > 0 &&
    (t.left < r.left - 0.5 || t.right > r.right + 0.5 || t.top < r.top - 0.5 || t.bottom > r.bottom + 0.5);
  const overflows = ['label', 'option', 'button'].includes(c.kind) &&
    (face.scrollWidth > face.clientWidth || face.scrollHeight > face.clientHeight);
  return [c.name, { px: { left: r.left - w.left, top: r.top - w.top, width: r.width, height: r.height },
    colour: getComputedStyle(face).backgroundColor, caption: holder.textContent.trim(), cut: out || overflows }];
})), { win: PAGE.window, controls: design.controls });

// The rows of the scale as drawn, down from its top: the bar's two edges,
// and the middle of each boundary's label shown.
const measureScale = (d) => d.evaluate((id) => {
  const scale = document.getElementById(id);
  const top = scale.getBoundingClientRect().top;
  const middle = (el) => el.getBoundingClientRect().top + el.getBoundingClientRect().height / 2 - top;
  return { bar: [...scale.querySelectorAll(':scope > svg > line')].map(middle),
    labels: [...scale.querySelectorAll('text')].filter((t) => t.getClientRects().length).map(middle) };
}, SCALE.id);

// A place as the design's where each measure is within `tolerance` px of it.
const snapped = (px, want, tolerance) =>
  Object.fromEntries(Object.keys(want).map((k) => [k, Math.abs(px[k] - want[k]) <= tolerance ? want[k] : px[k]]));

// The layout's cases on the page that on.d drives, fresh: the window and what
// shows at start, then (after a report by Borngard: every control shown,
// the range line too) each control's face in its place within `tolerance`
// CSS px, its colour and caption, none cut.
function layoutTests(on, tolerance) {
  const got = {};
  before(async () => {
    got.window = await measureWindow(on.d);
    got.window.scale = await scaleShown(on.d);
    await report(on.d, { method: 3, boxes: ['170', '72', '90'] });
    got.controls = await measureControls(on.d);
    got.scale = await measureScale(on.d);
  });
  describe('the window', () => {
    for (const [name, want] of [
      ['width', design.client.widthPx],
      ['height', design.client.heightPx],
      ['colour', rgb(design.windowColour)],
      ['font size', Math.round(design.font.pointSize * 400 / 3) / 100],
      ['font family', design.font.family],
      ['title', design.caption],
      ['language', design.language],
      ['output', lf(design.referenceText)],
      ['shown at start', design.controls.filter((c) => !c.hiddenAtStart).map((c) => c.name)],
      ['scale', SCALE_AT_START],
    ]) test(name, () => assert.deepEqual(got.window[name], want, name));
  });
  for (const c of design.controls) {
    describe(c.name, () => {
      const mine = () => got.controls[c.name];
      test('place', () => assert.deepEqual(snapped(mine().px, c.px, tolerance), c.px, `more than ${tolerance} px off`));
      if (c.colour) test('colour', () => assert.equal(mine().colour, rgb(c.colour), 'colour'));
      if (c.caption) test('caption', () => assert.equal(mine().caption, c.caption.trim(), 'caption'));
      if (c.caption) test('caption whole', () => assert.equal(mine().cut, false, 'cut'));
      if (c === SCALE) {
        test('the bar and the labels in their rows', () => {
          const { bar, labels } = got.scale;
          const want = [design.strip.barTop, design.strip.barBottom, ...labels.map(() => design.strip.labelMiddle)];
          assert.ok(labels.length, 'no label drawn');
          assert.deepEqual([...bar, ...labels].map((y, i) => (Math.abs(y - want[i]) <= tolerance ? want[i] : y)), want,
            `more than ${tolerance} px off`);
        });
      }
    });
  }
}

module.exports = { args, design, control, idOf, q, optionLabel, BOXES, OPTIONS, SEXES, rgb, SEPARATOR, PAGE,
  nativeReports, native, within, until, waitReady, values, value, isShown, focused, warningOpen, paste,
  closeWarnings, report, announced, strip, scaleShown, SCALE, SCALE_AT_START, asNative, checkReport, onPage, layoutTests };
