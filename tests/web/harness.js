// SPDX-License-Identifier: GPL-3.0-or-later
// What the page tests share, whatever drives the browser: the arguments, the
// design table, the native build's reports, the runner (check, same) and a
// person's steps on the page (report, closeWarnings) over a page driver:
//   evaluate(fn, arg)  fn run in the page with one argument, its result
//   click(selector)    a click on the element
//   fill(selector, t)  the element's text replaced by t, as typed
//   press(selector, k) key k (Tab, Enter, Escape, Space, ArrowUp...) on the
//                      element, or on the focused one when selector is null
//   reload()           the page again, ready
//   tap(selector)      a touch (where the driver has one)
'use strict';

const fs = require('fs');
const { spawnSync } = require('child_process');

// --site DIR --design design.json --report-dump PATH [--NAME VALUE...] [WORD...]
const args = { words: [] };
for (let a = process.argv.slice(2); a.length;) {
  const arg = a.shift();
  if (arg.startsWith('--')) args[arg.slice(2)] = a.shift();
  else args.words.push(arg);
}
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
const optionLabel = (m) => `label[for="${idOf(`Option1(${m})`)}"]`;
const BOXES = design.boxCaptions.map((b) => b.box);
const OPTIONS = design.controls.filter((c) => c.kind === 'option').map((c) => c.name);
const lf = (text) => text.replace(/\r\n/g, '\n');
// A design colour (#rrggbb) as a computed style gives it.
const rgb = (hex) => `rgb(${hex.match(/[0-9a-f]{2}/g).map((x) => parseInt(x, 16)).join(', ')})`;
const SEPARATOR = { 'bg-BG': ',', 'en-US': '.' };
const CLEARED = design.texts.cleared;
// The page's own parts, as its template names them.
const LANGUAGE = 'bg';
const PAGE = { window: 'window', warning: 'warning', message: 'warning-message', ok: 'warning-ok',
  announcer: 'announcer' };

// The native build's reports for [{method, separator, boxes: [h, w, chest]}],
// one report_dump run for the lot, as {output, warnings, boxes}.
function nativeReports(cases) {
  const input = cases.map((c) => {
    const fields = [c.method, c.separator, ...c.boxes].map(String);
    if (fields.some((f) => /[\t\n]/.test(f))) throw new Error(`a tab or line feed in ${JSON.stringify(fields)}`);
    return fields.join('\t') + '\n';
  }).join('');
  const run = spawnSync(args['report-dump'], ['cases'], { input, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (run.status !== 0) throw new Error(`report_dump failed (${run.status}): ${run.stderr}`);
  const lines = run.stdout.split('\n').filter(Boolean);
  if (lines.length !== cases.length) throw new Error(`report_dump gave ${lines.length} reports for ${cases.length} cases`);
  return lines.map((line, i) => {
    const r = JSON.parse(line);
    // A textarea's value holds line feeds only; the window's CR LF must be
    // whole, with no lone CR or LF, before it is compared as LF.
    if (/\r(?!\n)|(?<!\r)\n/.test(r.output)) throw new Error(`native report with a lone CR or LF: ${line}`);
    return { output: lf(r.output), warnings: r.warnings, boxes: cases[i].boxes };
  });
}
const native = (method, boxes, locale = 'bg-BG') => nativeReports([{ method, separator: SEPARATOR[locale], boxes }])[0];

// --- the runner --------------------------------------------------------------

const counts = { passed: 0, failed: 0 };
async function check(name, fn) {
  try {
    await fn();
    counts.passed++;
  } catch (e) {
    counts.failed++;
    console.log(`FAIL ${name}\n  ${String(e && e.message).split('\n').join('\n  ')}`);
  }
}
function ok(condition, what) {
  if (!condition) throw new Error(what);
}
// Equal, or an error that shows where: strings from their first difference.
function same(actual, expected, what) {
  const [a, e] = [actual, expected].map((x) => JSON.stringify(x));
  if (a === e) return;
  if (typeof actual !== 'string' || typeof expected !== 'string') throw new Error(`${what}:\npage:   ${a}\nwanted: ${e}`);
  let i = 0;
  while (actual[i] === expected[i]) i++;
  const around = (s) => JSON.stringify(s.slice(Math.max(0, i - 30), i + 50));
  throw new Error(`${what}: differs at character ${i}\npage:   ${around(actual)}\nwanted: ${around(expected)}`);
}
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
const output = async (d) => (await values(d, ['Text1(0)']))[0];
const isShown = (d, id) => d.evaluate((i) => {
  const el = document.getElementById(i);
  return !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
}, id);
const focused = (d) => d.evaluate(() => document.activeElement && document.activeElement.id);
const warningOpen = (d) => d.evaluate((i) => document.getElementById(i).open, PAGE.warning);

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
// 'tap'; none when method is null), the shown boxes filled, then `how`:
// 'click' or 'tap' on Calculate, 'box N' for Enter in box N, or a key
// ('Enter', 'Space') on Calculate focused. The warnings are closed by
// `close` (left open when null). -> {output, warnings, boxes}
async function report(d, { method = null, boxes, how = 'click', close = 'Escape' }) {
  const press = (selector) => (how === 'tap' ? d.tap(selector) : d.click(selector));
  if (method !== null) await press(optionLabel(method));
  for (const [i, name] of BOXES.entries()) {
    if (!await isShown(d, idOf(name))) continue;
    await d.fill(q(name), boxes[i]);
    same((await values(d, [name]))[0], boxes[i].slice(0, design.inputMaxLength), `${name} after typing`);
  }
  const box = /^box (\d)$/.exec(how);
  if (box) await d.press(q(BOXES[box[1]]), 'Enter');
  else if (how === 'click' || how === 'tap') await press(q('Command1(0)'));
  else await d.press(q('Command1(0)'), how);
  const warnings = close ? await closeWarnings(d, close) : [];
  const [out, ...held] = await values(d, ['Text1(0)', ...BOXES]);
  return { output: out, warnings, boxes: held };
}

// The window, what shows at start, then every control's box (relative to the
// window, within `tolerance` CSS px), colour and caption, and that no caption is cut.
async function layout(d, group, tolerance) {
  await check(`${group}: the window, what shows at start`, async () => {
    const w = await d.evaluate((id) => {
      const r = document.getElementById(id).getBoundingClientRect();
      const cs = getComputedStyle(document.getElementById(id));
      return [r.width, r.height, cs.backgroundColor, Math.round(parseFloat(cs.fontSize) * 100) / 100,
        cs.fontFamily.split(',')[0].replace(/"/g, ''), document.title, document.documentElement.lang];
    }, PAGE.window);
    same([...w, await output(d), ...await Promise.all(design.controls.map((c) => isShown(d, c.id)))],
      [design.client.widthPx, design.client.heightPx, rgb(design.windowColour),
        Math.round(design.font.pointSize * 400 / 3) / 100, design.font.family, design.caption, LANGUAGE,
        lf(design.referenceText), ...design.controls.map((c) => !c.hiddenAtStart)],
      'width, height, colour, font size and family, title, language, output, each control shown');
  });
  await d.click(optionLabel(3));  // the chest-girth row shows
  for (const c of design.controls) {
    await check(`${group}: ${c.name} in its place, its caption whole`, async () => {
      const got = await d.evaluate(({ c: { id, kind }, win }) => {
        const face = document.getElementById(kind === 'option' ? `${id}-box` : id);
        const w = document.getElementById(win).getBoundingClientRect();
        const r = face.getBoundingClientRect();
        // The caption's own text (an option's is in its label) within the face.
        const holder = kind === 'option' ? document.querySelector(`label[for="${id}"]`) : face;
        const range = document.createRange();
        range.selectNodeContents(holder);
        const t = range.getBoundingClientRect();
        // Cut: its text out of the face, or the face's content overflowing it.
        const cut = (t.width > 0 && (t.left < r.left - 0.5 || t.right > r.right + 0.5 || t.top < r.top - 0.5 || t.bottom > r.bottom + 0.5)) ||
          (['label', 'option', 'button'].includes(kind) && (face.scrollWidth > face.clientWidth || face.scrollHeight > face.clientHeight));
        return { left: r.left - w.left, top: r.top - w.top, width: r.width, height: r.height,
          colour: getComputedStyle(face).backgroundColor, caption: holder.textContent.trim(), cut };
      }, { c, win: PAGE.window });
      for (const k of ['left', 'top', 'width', 'height']) ok(Math.abs(got[k] - c.px[k]) <= tolerance, `${k} is ${got[k]} px, the design's ${c.px[k]} px`);
      if (c.colour) same(got.colour, rgb(c.colour), 'colour');
      if (c.caption) same(got.caption, c.caption.trim(), 'caption');
      ok(!got.cut, `the caption is cut: it does not fit its ${got.width} x ${got.height} px face`);
    });
  }
}

// The last line of a run: "N passed, N failed", and its exit status.
function finish(started, where) {
  console.log(`(${where}, ${((Date.now() - started) / 1000).toFixed(1)} s)`);
  console.log(`${counts.passed} passed, ${counts.failed} failed`);
  process.exit(counts.failed ? 1 : 0);
}

module.exports = { args, design, control, idOf, q, optionLabel, BOXES, OPTIONS, lf, rgb, SEPARATOR, CLEARED, LANGUAGE, PAGE,
  nativeReports, native, counts, check, ok, same, within, until, waitReady, values, output, isShown, focused, warningOpen,
  closeWarnings, report, layout, finish };
