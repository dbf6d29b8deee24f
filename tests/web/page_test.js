// SPDX-License-Identifier: GPL-3.0-or-later
// The web page in headless Chromium, checked against the design table and the
// native build's reports:
//   node page_test.js --site DIR --design design.json --report-dump PATH [--cmake PATH] [GROUP...]
// Each group (all when none is named) is a table of cases on pages of its own.
// A failed case prints its name and what differed; the last line is
// "N passed, N failed".
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { serve, launch, openPage, waitReady, devtools } = require('./browser');

const args = { groups: [], cmake: 'cmake' };
for (let a = process.argv.slice(2); a.length;) {
  const arg = a.shift();
  if (arg.startsWith('--')) args[arg.slice(2)] = a.shift();
  else args.groups.push(arg);
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

let passed = 0;
let failed = 0;
async function check(name, fn) {
  try {
    await fn();
    passed++;
  } catch (e) {
    failed++;
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

// --- the page ----------------------------------------------------------------

let browser;
let server;

// A page of its own, whose close() checks it had no console error, uncaught
// error or CSP violation.
async function open(group, options = {}, on = browser) {
  const s = await openPage(on, server.url, options);
  s.close = async () => {
    await check(`${group}: no console errors, uncaught errors or CSP violations`, () => same(s.problems, [], 'problems'));
    await s.context.close();
  };
  return s;
}
const workerReady = (page) => within(page.evaluate(() => navigator.serviceWorker.ready.then(() => true)), 15000,
  'the service worker ready');
// What the design's controls hold (an option: whether it is checked), in order.
const values = (page, names) => page.evaluate((ids) => ids.map((i) => {
  const el = document.getElementById(i);
  return el.type === 'radio' ? el.checked : el.value;
}), names.map(idOf));
const output = async (page) => (await values(page, ['Text1(0)']))[0];
const isShown = (page, id) => page.evaluate((i) => {
  const el = document.getElementById(i);
  return !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
}, id);
const focused = (page) => page.evaluate(() => document.activeElement && document.activeElement.id);
const warningOpen = (page) => page.evaluate((i) => document.getElementById(i).open, PAGE.warning);

// Closes whatever warnings a step opened, by a key or 'click'; their messages.
async function closeWarnings(page, how = 'Escape') {
  const messages = [];
  for (let n = 0; n < 5 && await warningOpen(page); n++) {
    messages.push(await page.textContent(`#${PAGE.message}`));
    await (how === 'click' ? page.click(`#${PAGE.ok}`) : page.keyboard.press(how));
  }
  return messages;
}

// A report as a person makes it: the option clicked (tapped when `how` is
// 'tap'; none when method is null), the shown boxes filled, then `how`:
// 'click' or 'tap' on Calculate, 'box N' for Enter in box N, or a key
// ('Enter', 'Space') on Calculate focused. The warnings are closed by
// `close` (left open when null). -> {output, warnings, boxes}
async function report(page, { method = null, boxes, how = 'click', close = 'Escape' }) {
  const press = (selector) => (how === 'tap' ? page.tap(selector) : page.click(selector));
  if (method !== null) await press(optionLabel(method));
  for (const [i, name] of BOXES.entries()) {
    if (!await isShown(page, idOf(name))) continue;
    await page.fill(q(name), boxes[i]);
    same(await page.inputValue(q(name)), boxes[i].slice(0, design.inputMaxLength), `${name} after typing`);
  }
  const box = /^box (\d)$/.exec(how);
  if (box) await page.press(q(BOXES[box[1]]), 'Enter');
  else if (how === 'click' || how === 'tap') await press(q('Command1(0)'));
  else await page.press(q('Command1(0)'), how);
  const warnings = close ? await closeWarnings(page, close) : [];
  const [out, ...held] = await values(page, ['Text1(0)', ...BOXES]);
  return { output: out, warnings, boxes: held };
}

// --- the groups --------------------------------------------------------------

const groups = {};

// Every control's box (relative to the window, within 1 px), colour, caption
// and whether it shows at start; the window's size, colour, font and title.
// Under the system's fonts, and again with DejaVu alone, whose serif is wider
// than the design's: captions then shrink, and must still not be cut.
groups.layout = async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-fonts-'));
  fs.writeFileSync(path.join(dir, 'fonts.conf'), `<?xml version="1.0"?>
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${dir}/cache</cachedir>
<include ignore_missing="no">/etc/fonts/conf.d</include></fontconfig>`);
  for (const [fonts, env, families] of [
    ['system fonts', null, [design.font.family, design.font.standIn]],
    ['DejaVu alone', { FONTCONFIG_FILE: path.join(dir, 'fonts.conf') }, ['DejaVu Serif']],
  ]) {
    const on = env ? await launch(env) : browser;
    try {
      await layoutWith(`layout, ${fonts}`, on, families);
    } finally {
      if (env) await on.close();
    }
  }
  fs.rmSync(dir, { recursive: true, force: true });
};
async function layoutWith(group, on, families) {
  const s = await open(group, {}, on);
  const { page } = s;
  // The font drawn, lest the fallback under test be silently another.
  await check(`${group}: the captions are drawn in ${families.join(' or ')}`, async () => {
    const fonts = await (await devtools(s)).fonts(q(design.title));
    ok(fonts.length && families.includes(fonts[0].familyName), `drawn in ${JSON.stringify(fonts)}` +
      (fs.existsSync('/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf') ? '' : ' (no DejaVu Serif: install fonts-dejavu-core)'));
  });
  await check(`${group}: the window, what shows at start`, async () => same(await page.evaluate((id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    const cs = getComputedStyle(document.getElementById(id));
    return [r.width, r.height, cs.backgroundColor, cs.fontSize, cs.fontFamily.split(',')[0].replace(/"/g, ''),
      document.title, document.documentElement.lang];
  }, PAGE.window).then(async (w) => [...w, await output(page), ...await Promise.all(design.controls.map((c) => isShown(page, c.id)))]),
  [design.client.widthPx, design.client.heightPx, `rgb(${design.windowColour.join(', ')})`, `${design.font.pointSize * 4 / 3}px`,
    design.font.family, design.caption, LANGUAGE, lf(design.referenceText), ...design.controls.map((c) => !c.hiddenAtStart)],
  'width, height, colour, font size and family, title, language, output, each control shown'));
  await page.click(optionLabel(3));  // the chest-girth row shows
  for (const c of design.controls) {
    await check(`${group}: ${c.name}`, async () => {
      const got = await page.evaluate(({ c: { id, kind }, win }) => {
        const face = document.getElementById(kind === 'option' ? `${id}-box` : id);
        const w = document.getElementById(win).getBoundingClientRect();
        const r = face.getBoundingClientRect();
        // The caption's own text (an option's is in its label) within the face.
        const holder = kind === 'option' ? document.querySelector(`label[for="${id}"]`) : face;
        const range = document.createRange();
        range.selectNodeContents(holder);
        const t = range.getBoundingClientRect();
        const cut = t.width > 0 && (t.left < r.left - 0.5 || t.right > r.right + 0.5 || t.top < r.top - 0.5 || t.bottom > r.bottom + 0.5);
        return { left: r.left - w.left, top: r.top - w.top, width: r.width, height: r.height,
          colour: getComputedStyle(face).backgroundColor, caption: holder.textContent.trim(), cut };
      }, { c, win: PAGE.window });
      for (const k of ['left', 'top', 'width', 'height']) ok(Math.abs(got[k] - c.px[k]) <= 1, `${k} is ${got[k]} px, the design's ${c.px[k]} px`);
      if (c.colour) same(got.colour, `rgb(${c.colour.join(', ')})`, 'colour');
      if (c.caption) same(got.caption, c.caption.trim(), 'caption');
      ok(!got.cut, `the caption is cut: it does not fit its ${got.width} x ${got.height} px face`);
    });
  }
  await s.close();
}

// Each method, each way of calculating and the handlers' edge cases, in order
// on one page, each against the native report of what the boxes hold; one
// row in an English browser, whose numbers take a full stop.
const REPORT_CASES = [
  ['Calculate before any choice runs the body mass index', null, ['170', '72', '']],
  ['body mass index', 0, ['170', '72', '']],
  ['Broca', 1, ['170', '72', '']],
  ['Breitman, Enter on Calculate', 2, ['171', '72', ''], 'Enter'],
  ['Borngard, Space on Calculate', 3, ['170', '72', '90'], 'Space'],
  ['Borngard, Enter in the chest-girth box', 3, ['180', '95', '101'], 'box 2'],
  ['Broca, Enter in the height box', 1, ['160', '50', ''], 'box 0'],
  ['body mass index, comma and a half, Enter in the weight box', 0, ['1,7', '72.5', ''], 'box 1'],
  ['Breitman, overflow', 2, ['170', '9e9', '']],
  ['Clear'],
  ['Calculate after Clear runs the method chosen last', null, ['200', '90', '']],
  ['Borngard in an English browser', 3, ['170', '72.', '90'], 'click', 'en-US'],
];
groups.reports = async () => {
  let s = null;
  let last = 0;  // the method chosen last
  for (const [name, method, boxes, how, locale = 'bg-BG'] of REPORT_CASES) {
    if (s && s.locale !== locale) await s.close();
    if (!s || s.locale !== locale) s = Object.assign(await open(`reports ${locale}`, { locale }), { locale });
    await check(`reports ${locale}: ${name}`, async () => {
      if (boxes) {
        const got = await report(s.page, { method, boxes, how });
        last = method === null ? last : method;
        return same(got, native(last, got.boxes, locale), 'report');
      }
      await s.page.click(q('Command1(1)'));
      same(await values(s.page, ['Text1(0)', ...BOXES, ...OPTIONS]), [CLEARED, ...BOXES.map(() => ''), ...OPTIONS.map(() => false)],
        'output, boxes and options after Clear');
    });
  }
  await s.close();
};

// Seeded random inputs of up to 3 typeable characters, each way of
// calculating in turn, compared with the native reports byte for byte.
groups.random = async () => {
  const seed = Number(process.env.TEGLOMER_PAGE_SEED || 32);
  let x = seed >>> 0;
  const next = () => {  // mulberry32
    x = (x + 0x6d2b79f5) >>> 0;
    let t = Math.imul(x ^ (x >>> 15), x | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (s) => s[Math.floor(next() * s.length)];
  const field = (low, high) => {
    const kind = next();
    if (kind < 0.4) return String(low + Math.floor(next() * (high - low)));
    // Exponents: three characters are enough to overflow.
    if (kind < 0.5) return pick('123456789') + pick('eEdD') + pick('123456789');
    return Array.from({ length: Math.floor(next() * 4) }, () => pick('0123456789012345678901234567890123456789.,-+eEdD&HO xя')).join('');
  };
  const hows = ['click', 'box 1', 'Enter', 'box 0', 'Space'];
  const cases = Array.from({ length: 100 }, (_, i) => ({ method: Math.floor(next() * 4), separator: SEPARATOR['bg-BG'],
    boxes: [field(100, 230), field(30, 200), field(60, 140)], how: hows[i % hows.length] }));
  const s = await open('random');
  const got = [];
  for (const c of cases) got.push(await report(s.page, c));
  // A hidden chest-girth box keeps its text; the native side gets what the boxes hold.
  const wanted = nativeReports(cases.map((c, i) => ({ ...c, boxes: got[i].boxes })));
  const bad = cases.filter((c, i) => JSON.stringify(got[i]) !== JSON.stringify(wanted[i]))
    .map((c) => `method ${c.method}, boxes ${JSON.stringify(c.boxes)}, ${c.how}`);
  const decimals = wanted.filter((w) => /\d[.,]\d/.test(w.output.split('\n').slice(1).join('\n'))).length;
  console.log(`random: ${decimals} reports with decimals, ${wanted.filter((w) => w.warnings.length).length} overflow warnings`);
  await check(`random: ${cases.length} inputs (seed ${seed}) give the native reports`, () => {
    const first = got.findIndex((g, i) => JSON.stringify(g) !== JSON.stringify(wanted[i]));
    if (first >= 0) same(got[first], wanted[first], `${bad.length} of ${cases.length} differ (${bad.slice(0, 5).join('; ')}); the first`);
  });
  await s.close();
};

// Focus order and a visible focus mark, keys, at most 3 characters, the
// chest-girth row, the output box read-only but selectable and copyable.
groups.keyboard = async () => {
  const s = await open('keyboard');
  const { page } = s;
  const order = design.focusOrder.map(idOf);
  const looks = async (id) => {
    const r = await page.evaluate((i) => document.getElementById(i).getBoundingClientRect().toJSON(), id);
    return page.screenshot({ clip: { x: r.x - 4, y: r.y - 4, width: r.width + 8, height: r.height + 8 } });
  };
  // `count` stops by Tab from the focused one on, and those that look as
  // they do unfocused (in `unfocused`, when given).
  const tabChain = async (count, unfocused = new Map()) => {
    const chain = [];
    const unmarked = [];
    for (let i = 0; i < count; i++) {
      if (i > 0) await page.keyboard.press('Tab');
      chain.push(await focused(page));
      if (unfocused.has(chain[i]) && (await looks(chain[i])).equals(unfocused.get(chain[i]))) unmarked.push(chain[i]);
    }
    return { chain, unmarked };
  };
  await check('keyboard: the focus is in the output box at start, Tab follows the design, hidden box passed over', async () => {
    const stops = order.filter((id) => !design.controls.find((c) => c.id === id).hiddenAtStart);
    same((await tabChain(stops.length)).chain, stops, 'focus, then the Tab chain');
  });
  await page.click(optionLabel(3));
  await page.click(q('Command1(1)'));  // Borngard, then Clear: every stop shows, none checked
  await page.evaluate(() => document.activeElement.blur());
  const unfocused = new Map();
  for (const id of order) unfocused.set(id, await looks(id));
  await page.focus(`[id="${order[0]}"]`);
  const all = await tabChain(order.length, unfocused);
  await check(`keyboard: Tab visits all ${order.length} stops once the chest-girth box shows`, () => same(all.chain, order, 'Tab chain'));
  await check('keyboard: every stop shows a focus mark', () => same(all.unmarked, [], 'stops that look the same focused'));
  for (const box of BOXES) {
    await check(`keyboard: a character past ${design.inputMaxLength} cannot be typed or pasted into ${box}`, async () => {
      for (const [how, text] of [['type', '12345'], ['insertText', '98765']]) {
        await page.fill(q(box), '');
        await page.focus(q(box));
        await page.keyboard[how](text);
        same(await page.inputValue(q(box)), text.slice(0, design.inputMaxLength), `${how} ${text}`);
      }
    });
  }
  // Space on an option, or an arrow key within the group, as in the window;
  // the chest girth's text stays while hidden.
  await page.fill(q('Text2(2)'), '88');
  for (const [key, from, to] of [['Space', 0, 0], ['Space', 1, 1], ['Space', 2, 2], ['ArrowDown', 2, 3], ['ArrowUp', 3, 2], ['Space', 3, 3]]) {
    await check(`keyboard: ${key} on Option1(${from}) chooses Option1(${to}) and ${to === 3 ? 'shows' : 'hides'} the chest-girth row`, async () => {
      await page.press(q(`Option1(${from})`), key);
      same([await focused(page), (await values(page, OPTIONS))[to], await isShown(page, idOf('Label2(2)')), await isShown(page, idOf('Text2(2)'))],
        [idOf(`Option1(${to})`), true, to === 3, to === 3], 'focus, option checked, chest-girth caption and box shown');
      if (to === 3) same(await page.inputValue(q('Text2(2)')), '88', 'the chest girth kept');
    });
  }
  await check('keyboard: Space on Clear clears', async () => {
    await page.press(q('Command1(1)'), 'Space');
    same(await output(page), CLEARED, 'output');
  });
  await check('keyboard: the output box is read-only but selectable and copyable', async () => {
    const before = await output(page);
    await page.focus(q('Text1(0)'));
    await page.keyboard.type('xyz');
    await page.keyboard.press('Backspace');
    same(await output(page), before, 'text after typing');
    await page.keyboard.press('Control+A');
    same(await page.evaluate(() => [document.activeElement.selectionStart, document.activeElement.selectionEnd]),
      [0, before.length], 'selection after Ctrl+A');
    await s.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.origin });
    await page.keyboard.press('Control+C');
    same(await page.evaluate(() => navigator.clipboard.readText()), before, 'copied with Ctrl+C');
  });
  await s.close();
};

// The overflow warning: modal, reached and closed by keyboard (or the
// mouse), focus back where it was, the page working afterwards.
groups.dialog = async () => {
  const s = await open('dialog');
  const { page } = s;
  for (const [close, how, back] of [['Escape', 'box 1', 'Text2(1)'], ['Enter', 'Enter', 'Command1(0)'], ['click', 'box 1', 'Text2(1)']]) {
    await check(`dialog: weight 9e9, ${how} to calculate, closed by ${close}`, async () => {
      await page.reload();
      await waitReady(page);
      await report(page, { method: 0, boxes: ['170', '9e9', ''], how, close: null });
      const want = native(0, ['170', '9e9', '']);
      const state = () => page.evaluate((ids) => {
        const d = document.getElementById(ids.warning);
        return [d.open, d.matches(':modal'), d.contains(document.activeElement), document.getElementById(ids.message).textContent];
      }, PAGE);
      same(await state(), [true, true, true, want.warnings[0]], 'open, modal, focus inside, message');
      await page.keyboard.press('Tab');
      same(await state(), [true, true, true, want.warnings[0]], 'after Tab: open, modal, focus inside, message');
      same(await closeWarnings(page, close), want.warnings, 'messages');
      same([await focused(page), await output(page)], [idOf(back), want.output], 'focus after closing, output');
      same(await report(page, { boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'the next report');
    });
  }
  await s.close();
};

// What a screen reader gets (Chromium's own accessibility tree), what the
// live region says, and axe-core's verdict in each state of the page.
groups.accessibility = async () => {
  const s = await open('accessibility');
  const { page } = s;
  const tools = await devtools(s);
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
  const nameOf = (node) => node && node.name && String(node.name.value).trim();
  const caption = (name) => control[name].caption.trim();
  await page.click(optionLabel(3));  // every control shown
  for (const [name, role, accessibleName] of [
    ...design.boxCaptions.map((b) => [b.box, 'textbox', caption(b.label)]),
    ...OPTIONS.map((o) => [o, 'radio', caption(o)]),
    ...['Command1(0)', 'Command1(1)'].map((b) => [b, 'button', caption(b)]),
    ['Text1(0)', 'textbox', design.names.output],
  ]) {
    await check(`accessibility: ${name} is a ${role} named ${JSON.stringify(accessibleName)}`, async () => {
      const { own, nodes } = await tools.ax(q(name));
      ok(own && !own.ignored, 'not in the accessibility tree');
      same([own.role.value, nameOf(own)], [role, accessibleName], 'role and name');
      if (name === 'Text1(0)') same(prop(own, 'readonly'), true, 'read-only');
      if (role !== 'radio') return;
      // Up the tree from the option: its nearest group.
      const byId = new Map(nodes.map((n) => [n.nodeId, n]));
      let n = own;
      while (n && !(n.role && ['radiogroup', 'group'].includes(n.role.value) && !n.ignored)) n = byId.get(n.parentId);
      same(nameOf(n), design.names.methodGroup, 'the name of its group');
    });
  }
  // The live region, after each change.
  await check('accessibility: the announcer is a polite live region', async () =>
    same(prop((await tools.ax(`#${PAGE.announcer}`)).own || {}, 'live'), 'polite', 'aria-live'));
  const squeeze = (t) => t.replace(/\s+/g, ' ').trim();
  for (const [step, act, said] of [
    ['Calculate', () => page.click(q('Command1(0)')), async () => squeeze(await output(page))],
    ['Clear', () => page.click(q('Command1(1)')), () => CLEARED],
    ['the chest-girth box appearing', () => page.click(optionLabel(0)).then(() => page.click(optionLabel(3))),
      () => design.names.chestGirthShown],
  ]) {
    await check(`accessibility: ${step} is announced`, async () => {
      await act();
      same(squeeze(await page.textContent(`#${PAGE.announcer}`)), await said(), 'announced');
    });
  }
  // axe-core in each state; the page's CSP does not apply to code run by the
  // test driver.
  const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  for (const [state, reach] of [
    ['at start', () => page.reload().then(() => waitReady(page))],
    ['with the chest-girth row and a report', () => report(page, { method: 3, boxes: ['170', '72', '90'] })],
    ['with the warning open', async () => {
      await report(page, { method: 0, boxes: ['170', '9e9', ''], close: null });
      ok(await warningOpen(page), 'no warning open');
    }],
  ]) {
    await check(`accessibility: axe-core finds no violation ${state}`, async () => {
      await reach();
      await page.evaluate(axe);
      same(await page.evaluate(async () => (await window.axe.run(document)).violations
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`)), [], 'violations');
    });
  }
  await check('accessibility: the warning\'s button is named as the design says', async () =>
    same(nameOf((await tools.ax(`#${PAGE.ok}`)).own), design.names.warningButton, 'name'));
  await closeWarnings(page);
  await s.close();
};

// A phone (at its own width, the column) and 200 % zoom (the window): no
// sideways scroll, every control in view, captions at the design's size as
// seen, and a report made by touch or click.
groups.phone = async () => {
  for (const [name, options] of [
    ['phone 360 px', { viewport: { width: 360, height: 640 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }],
    ['200 % zoom of a 1280 x 800 screen', { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 }],
  ]) {
    const s = await open(`phone ${name}`, options);
    await check(`phone: ${name}: every control in view, no sideways scroll`, async () => same(await s.page.evaluate((ids) => {
      const out = (r) => r.left < -0.5 || r.top < -0.5 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5;
      return [document.documentElement.scrollWidth > innerWidth,
        ...ids.filter((i) => !document.getElementById(i).hidden && out(document.getElementById(i).getBoundingClientRect()))];
    }, [PAGE.window, ...design.controls.map((c) => c.id)]), [false], 'sideways scroll, then what is out of view'));
    await check(`phone: ${name}: laid out at its own width, the captions at the design's size as seen`, async () => same(
      await s.page.evaluate((id) => [innerWidth, parseFloat(getComputedStyle(document.getElementById(id)).fontSize) * visualViewport.scale],
        idOf(design.title)), [options.viewport.width, design.font.pointSize * 4 / 3], 'layout width, caption size'));
    const how = options.hasTouch ? 'tap' : 'click';
    await check(`phone: ${name}: a report by ${how}`, async () =>
      same(await report(s.page, { method: 3, boxes: ['170', '72', '90'], how }), native(3, ['170', '72', '90']), 'report'));
    await s.close();
  }
};

// Zoomed in, on phones either way round, and as the window: each criterion a
// row, checked from what the page computes; axe-core checks the rest.
const luminance = (css) => css.match(/[\d.]+/g).slice(0, 3).map((c) => c / 255)
  .map((c) => (c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4)).reduce((l, c, i) => l + c * [0.2126, 0.7152, 0.0722][i], 0);
const contrast = (a, b) => (Math.max(luminance(a), luminance(b)) + 0.05) / (Math.min(luminance(a), luminance(b)) + 0.05);
const FACES = [design.windowColour, ...design.controls.map((c) => c.colour).filter(Boolean)].map((c) => `rgb(${c.join(', ')})`);
const CAPTION_SIZE = `${design.font.pointSize * 4 / 3}px`;
// No sideways scroll, then those of the elements that are not within the width.
const withinWidth = (page, ids) => page.evaluate((i) => [document.documentElement.scrollWidth <= innerWidth, ...i.filter((id) => {
  const r = document.getElementById(id).getBoundingClientRect();
  return !r.width || r.left < 0 || r.right > innerWidth;
})], ids);
const captionSizes = (page) => page.$$eval('.fit', (f) => [...new Set(f.map((c) => getComputedStyle(c).fontSize))]);
// The text spaced out as a reader's own style does (or no more), and the page
// settled after it.
const spaceText = (page, on) => page.evaluate(async (rules) => {
  const spaced = new CSSStyleSheet();
  for (const rule of rules) spaced.insertRule(rule);
  document.adoptedStyleSheets = rules.length ? [spaced] : [];
  for (let frame = 0; frame < 3; frame++) await new Promise(requestAnimationFrame);
}, on ? ['* { line-height: 1.5 !important; letter-spacing: 0.12em !important; word-spacing: 0.16em !important }',
  'p { margin-bottom: 2em !important }'] : []);
const REFLOW = [
  ['reflow: the window where it fits, else no sideways scroll; every control within the width, its captions at the design\'s size; Tab in the design\'s order; a report; the warning', async (page, how) => {
    const [width, shown] = await page.$eval(`#${PAGE.window}`, (w) => [innerWidth, `${w.offsetWidth} x ${w.offsetHeight}`]);
    ok(width < design.client.widthPx || shown === `${design.client.widthPx} x ${design.client.heightPx}`, `the window ${shown} px on a screen ${width} px wide`);
    same([...await withinWidth(page, design.controls.map((c) => c.id)), ...await captionSizes(page), ...(await tabStops(page)).map((t) => t.id)],
      [true, CAPTION_SIZE, ...design.focusOrder.map(idOf)], 'no sideways scroll, controls out of width, caption sizes, Tab chain');
    same(await report(page, { method: 3, boxes: ['170', '72', '90'], how }), native(3, ['170', '72', '90']), 'report');
    await report(page, { boxes: ['170', '72', '9e9'], how, close: null });
    same([await warningOpen(page), ...await withinWidth(page, [PAGE.warning])], [true, true], 'the warning open, no sideways scroll, out of width');
    await closeWarnings(page);
  }],
  ['1.4.11: box frames and the focus ring 3:1 against what is around them and every face', async (page) => {
    const frames = await page.evaluate((ids) => ids.map((i) => getComputedStyle(document.getElementById(i)).borderTopColor), [...BOXES, 'Text1(0)'].map(idOf));
    const low = [...frames.map((f, i) => [`frame ${i}`, f, FACES[0]]), ...(await tabStops(page)).flatMap((t) => [t.around, ...FACES].map((f) => [t.id, t.outline[2], f]))]
      .filter(([, a, b]) => contrast(a, b) < 3).map(([what, a, b]) => `${what}: ${a} on ${b} ${contrast(a, b).toFixed(2)}:1`);
    same(low, [], 'below 3:1');
  }],
  ['1.4.12: no caption cut with the text spaced out', async (page) => {
    await spaceText(page, true);
    const cut = await page.$$eval('.fit', (f) => f.filter((c) => c.getClientRects().length).flatMap((c) => [c, c.closest('.face')])
      .filter((c) => c.scrollWidth > c.clientWidth || c.scrollHeight > c.clientHeight).map((c) => c.id || c.textContent));
    await spaceText(page, false);
    same(cut, [], 'captions cut');
  }],
  ['2.5.8: every target 24 x 24 px, or its label is', async (page) => same(await page.evaluate((ids) => ids.filter((i) => {
    const el = document.getElementById(i);
    return ![el, ...el.labels || []].some((t) => t.getBoundingClientRect().width >= 24 && t.getBoundingClientRect().height >= 24);
  }), design.focusOrder.map(idOf)), [], 'targets too small')],
  ['2.4.7: every stop reached by Tab shows a ring', async (page) => same((await tabStops(page))
    .filter((t) => t.outline[0] === 'none' || parseFloat(t.outline[1]) < 2).map((t) => t.id), [], 'stops without a ring')],
];
// Tab from the first stop to the last: each one's id, outline, and the colour it is drawn on.
async function tabStops(page) {
  await page.focus(q(design.focusOrder[1]));
  await page.keyboard.press('Shift+Tab');
  const stops = [];
  for (const _ of design.focusOrder) {
    stops.push(await page.evaluate(() => {
      const el = document.activeElement;
      let under = el.parentElement;
      while (getComputedStyle(under).backgroundColor === 'rgba(0, 0, 0, 0)') under = under.parentElement;
      const cs = getComputedStyle(el);
      return { id: el.id, outline: [cs.outlineStyle, cs.outlineWidth, cs.outlineColor], around: getComputedStyle(under).backgroundColor };
    }));
    await page.keyboard.press('Tab');
  }
  return stops;
}
groups.reflow = async () => {
  const phone = { isMobile: true, hasTouch: true, deviceScaleFactor: 2 };
  const zoomed = { width: 320, height: 256 };
  for (const [view, options] of [
    ['400 % zoom of a 1280 px screen', { viewport: zoomed, deviceScaleFactor: 4 }],
    ['phone 320 x 568', { viewport: { width: 320, height: 568 }, ...phone }],
    ['landscape phone 568 x 320', { viewport: { width: 568, height: 320 }, ...phone }],
    ['the window at its own width', { viewport: { width: design.client.widthPx, height: 400 } }],
  ]) {
    const s = await open(`reflow, ${view}`, options);
    await s.page.click(optionLabel(3));  // every control shown
    for (const [criterion, test] of REFLOW) await check(`reflow, ${view}: ${criterion}`, () => test(s.page, options.hasTouch ? 'tap' : 'click'));
    // Zoomed in after captions were fitted smaller in the window (here
    // spaced out): the column draws them at the design's size again.
    if (options.viewport.width === design.client.widthPx) {
      await check(`reflow, ${view}: zoomed in after loading, every caption at the design's size`, async () => {
        await spaceText(s.page, true);
        ok((await captionSizes(s.page)).length > 1, 'no caption fitted smaller in the window');
        await s.page.setViewportSize(zoomed);
        await spaceText(s.page, true);
        same(await captionSizes(s.page), [CAPTION_SIZE], 'caption sizes');
      });
    }
    await s.close();
  }
};

// After one visit the page loads and calculates with the network gone. Then
// two other builds are served to it, each one byte of the page's title away:
// one whose service worker is stamped for it, which replaces the kept files;
// one whose page is a byte away from what its worker names, which is refused.
function otherBuilds(dir) {
  const kept = [...fs.readFileSync(path.join(args.site, 'sw.js'), 'utf8').matchAll(/\['([^']+)', '[0-9a-f]+'\]/g)]
    .map(([, f]) => (f === './' ? 'index.html' : f));
  const retitle = (site, char) => {
    const html = fs.readFileSync(path.join(site, 'index.html'));
    const at = html.indexOf('<title>') + '<title>'.length;
    ok(kept.includes('index.html') && at > 6 && html[at] < 0x80, 'no page kept, or its title not ASCII at first');
    html[at] = char.charCodeAt(0);
    fs.writeFileSync(path.join(site, 'index.html'), html);
  };
  return ['#', '%'].map((char) => {
    const site = path.join(dir, char === '#' ? 'renewed' : 'altered');
    fs.cpSync(args.site, site, { recursive: true });
    retitle(site, char);
    const run = spawnSync(args.cmake, [`-DSITE=${site}`, `-DFILES=${kept.join(',')}`,
      `-DTEMPLATE=${path.join(__dirname, '../../web/sw.js')}`, '-P', path.join(__dirname, '../../web/stamp.cmake')], { encoding: 'utf8' });
    ok(run.status === 0, `stamping ${site}/sw.js: ${run.stderr}`);
    if (char === '%') retitle(site, '&');
    return site;
  });
}
const cacheOf = (site) => /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'))[1];
groups.offline = async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-builds-'));
  const [renewed, altered] = otherBuilds(dir);
  try {
    for (const [name, site, becomes, title] of [
      ['one visit', null, null, design.caption],
      ['a new build replaces the kept files', renewed, 'activated', `#${design.caption.slice(1)}`],
      ['a file not of its build is refused', altered, 'redundant', design.caption],
    ]) {
      const s = await open(`offline, ${name}`);
      const { page } = s;
      await check(`offline, ${name}: a service worker controls the page after one visit`, async () => {
        await workerReady(page);
        await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
      });
      if (site) {
        await check(`offline, ${name}: the new service worker is ${becomes}`, async () => {
          server.dir = site;
          const [state, keys] = await within(page.evaluate(async () => {
            const registration = await navigator.serviceWorker.ready;
            const found = new Promise((resolve) => registration.addEventListener('updatefound', () => resolve(registration.installing)));
            await registration.update();
            const worker = await found;
            await new Promise((resolve) => {
              const settled = () => ['activated', 'redundant'].includes(worker.state) && resolve();
              worker.addEventListener('statechange', settled);
              settled();
            });
            return [worker.state, await caches.keys()];
          }), 15000, 'the new service worker settled');
          same([state, keys], [becomes, [cacheOf(becomes === 'activated' ? site : args.site)]], 'the new worker, the caches');
        });
      }
      await check(`offline, ${name}: the page reloads, opens in a new tab and calculates with the network gone`, async () => {
        server.offline = true;
        try {
          for (const p of [page, await s.context.newPage()]) {
            await (p === page ? p.reload() : p.goto(server.url));
            await waitReady(p);
            same(await p.title(), title, 'the title of the build kept');
            same(await report(p, { method: 0, boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'report');
          }
        } finally {
          server.offline = false;
          server.dir = args.site;
        }
      });
      if (!site) {
        await check('offline: the manifest, in the page\'s language, standalone, with icons of their sizes', async () => {
          const manifest = await (await s.context.request.get(await page.$eval('link[rel="manifest"]', (l) => l.href))).json();
          same([manifest.lang, manifest.display, manifest.icons.length > 0], [LANGUAGE, 'standalone', true], 'language, display, icons');
          same(await page.evaluate((icons) => Promise.all(icons.map((icon) => new Promise((resolve) => {
            const img = Object.assign(new Image(), { src: icon.src });
            img.onload = () => resolve(`${icon.src} ${img.naturalWidth}x${img.naturalHeight}`);
            img.onerror = () => resolve(`${icon.src} does not load`);
          }))), manifest.icons), manifest.icons.map((icon) => `${icon.src} ${icon.sizes}`), 'icons');
        });
      }
      await s.close();
    }
  } finally {
    server.dir = args.site;
    fs.rmSync(dir, { recursive: true, force: true });
  }
};

// The CSP, and that the page sends nothing anywhere and keeps nothing.
groups.privacy = async () => {
  server.clear();
  const s = await open('privacy');
  const { page, context } = s;
  // A visit that touches everything.
  await report(page, { method: 3, boxes: ['170', '72', '90'], how: 'box 1' });
  ok((await report(page, { method: 0, boxes: ['170', '9e9', ''] })).warnings.length, 'no warning');
  await page.click(q('Command1(1)'));
  await workerReady(page);
  await check('privacy: the page declares the policy it is served with (the site\'s _headers)', async () =>
    same(await page.$eval('meta[http-equiv="Content-Security-Policy"]', (m) => m.content),
      s.response.headers()['content-security-policy'] || '(no header)', 'the page\'s own policy'));
  await check('privacy: no cookie, no storage', async () => same([await context.cookies(), ...await page.evaluate(async () =>
    [document.cookie, localStorage.length, sessionStorage.length, (await indexedDB.databases()).length])],
  [[], '', 0, 0, 0], 'cookies, document.cookie, localStorage, sessionStorage, databases'));
  await check('privacy: nothing requested but the site\'s own files', async () => same([s.requested.filter((u) => !u.startsWith(`${server.origin}/`)), server.errors,
    server.requests.filter((r) => ![200, 304].includes(r.status) || r.method !== 'GET').map((r) => `${r.method} ${r.path} ${r.status}`)],
  [[], [], []], 'requests elsewhere, server errors, requests not a GET of a file'));
  await s.close();
};

// --- main ----------------------------------------------------------------------

(async () => {
  const chosen = args.groups.length ? args.groups : Object.keys(groups);
  const unknown = chosen.filter((g) => !groups[g]);
  if (unknown.length) {
    console.error(`no group ${unknown.join(', ')}; the groups: ${Object.keys(groups).join(' ')}`);
    process.exit(2);
  }
  const started = Date.now();
  server = await serve(args.site);
  browser = await launch();
  try {
    for (const g of chosen) {
      const [before, t] = [passed + failed, Date.now()];
      // A step between the cases that breaks stops its group.
      await groups[g]().catch((e) => check(`${g}: stopped`, () => { throw new Error(e.stack || e); }));
      console.log(`${g}: ${passed + failed - before} cases, ${((Date.now() - t) / 1000).toFixed(1)} s`);
    }
  } finally {
    await browser.close();
    await server.close();
  }
  console.log(`(${args.site} at ${server.url}, ${((Date.now() - started) / 1000).toFixed(1)} s)`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
