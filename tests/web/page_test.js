// SPDX-License-Identifier: GPL-3.0-or-later
// The web page in headless Chromium, checked against the design table and the
// native build's reports:
//   node page_test.js --site DIR --design design.json --report-dump PATH [--cmake PATH] [GROUP...]
// Each group (all when none is named) opens its own pages; every row of a
// table is one case. A failed case prints its name and what differed; the
// last line is "N passed, N failed".
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { serve, launch } = require('./browser');

// --- arguments, design, native reports --------------------------------------

const args = { groups: [], cmake: 'cmake' };
for (let a = process.argv.slice(2); a.length;) {
  const arg = a.shift();
  if (arg.startsWith('--')) args[arg.slice(2)] = a.shift();
  else args.groups.push(arg);
}
for (const key of ['site', 'design', 'report-dump']) {
  if (!args[key] || !fs.existsSync(args[key])) {
    console.error(`--${key}: ${args[key] || '(not given)'} is missing` +
      (key === 'report-dump' ? ' (the native build\'s tests; CMake: -DTEGLOMER_NATIVE_TOOLS=DIR)' : ''));
    process.exit(2);
  }
}
const design = JSON.parse(fs.readFileSync(args.design, 'utf8'));
const control = Object.fromEntries(design.controls.map((c) => [c.name, c]));
const idOf = (name) => control[name].id;
const q = (name) => `[id="${idOf(name)}"]`;  // a design control, e.g. q('Text2(0)')
const optionLabel = (m) => `label[for="${idOf(`Option1(${m})`)}"]`;
const BOXES = [0, 1, 2].map((i) => `Text2(${i})`);
const OPTIONS = [0, 1, 2, 3].map((i) => `Option1(${i})`);
const lf = (text) => text.replace(/\r\n/g, '\n');
const SEPARATOR = { 'bg-BG': ',', 'en-US': '.' };
// Until design.json carries them, as the generator and the form have them.
const CLEARED = design.clearedText || 'Направете нов избор';
const LANGUAGE = design.language || 'bg';
const PAGE = { window: 'window', warning: 'warning', message: 'warning-message', ok: 'warning-ok',
  announcer: 'announcer', ...design.pageIds };

// The native build's reports for [{method, separator, boxes: [h, w, chest]}],
// one report_dump run for the lot.
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
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  if (a === e) return;
  if (typeof actual === 'string' && typeof expected === 'string') {
    let i = 0;
    while (actual[i] === expected[i]) i++;
    const from = Math.max(0, i - 30);
    throw new Error(`${what}: differs at character ${i}\n` +
      `page:   ${JSON.stringify(actual.slice(from, i + 50))}\nwanted: ${JSON.stringify(expected.slice(from, i + 50))}`);
  }
  throw new Error(`${what}:\npage:   ${a}\nwanted: ${e}`);
}
// A step that may never end (e.g. a service worker that never installs) fails instead.
const within = (promise, ms, what) => Promise.race([promise,
  new Promise((_, fail) => setTimeout(() => fail(new Error(`${what}: not within ${ms / 1000} s`)), ms).unref())]);

// --- the browser: the few calls another engine's driver would do otherwise ---

let browser;
let server;

// A page of its own context, loaded and ready. Console errors, uncaught
// errors and CSP violations are collected; close() checks there were none.
async function openPage(group, options = {}, on = browser) {
  const context = await on.newContext({ locale: 'bg-BG', viewport: { width: 1024, height: 768 }, ...options });
  context.setDefaultTimeout(5000);
  const page = await context.newPage();
  const problems = [];
  const requested = [];  // every URL the page (or its worker) asked for
  context.on('request', (r) => requested.push(r.url()));
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()} (${m.location().url})`));
  page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
  await context.exposeBinding('__cspViolation', (_, v) => problems.push(`CSP: ${v}`));
  await context.addInitScript(() => document.addEventListener('securitypolicyviolation', (e) =>
    window.__cspViolation(`${e.violatedDirective} blocked ${e.blockedURI} at ${e.sourceFile}:${e.lineNumber}`)));
  const response = await page.goto(server.url);
  await waitReady(page);
  return {
    page, context, response, requested,
    async close() {
      await check(`${group}: no console errors, uncaught errors or CSP violations`, () => same(problems, [], 'problems'));
      await context.close();
    },
  };
}
const waitReady = (page) =>
  page.waitForFunction(() => document.documentElement.dataset.ready === '1', null, { timeout: 15000 });
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

// Chromium's own view through DevTools: the font a node is drawn in, and its
// accessibility node with its relatives (ancestors among them).
async function devtools(s) {
  const cdp = await s.context.newCDPSession(s.page);
  for (const domain of ['DOM', 'CSS', 'Accessibility']) await cdp.send(`${domain}.enable`);
  const node = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    ok(nodeId, `no element ${selector}`);
    return nodeId;
  };
  return {
    fonts: async (selector) => (await cdp.send('CSS.getPlatformFontsForNode', { nodeId: await node(selector) })).fonts,
    async ax(selector) {
      const nodeId = await node(selector);
      const { node: dom } = await cdp.send('DOM.describeNode', { nodeId });
      const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: true });
      return { own: nodes.find((n) => n.backendDOMNodeId === dom.backendNodeId), nodes };
    },
  };
}

const warningOpen = (page) => page.evaluate((i) => document.getElementById(i).open, PAGE.warning);
// Closes whatever warnings a step opened, the way `how` says (a key, or
// 'click' on its button); their messages.
async function closeWarnings(page, how = 'Escape') {
  const messages = [];
  for (let n = 0; n < 5 && await warningOpen(page); n++) {
    messages.push(await page.textContent(`#${PAGE.message}`));
    if (how === 'click') await page.click(`#${PAGE.ok}`);
    else await page.keyboard.press(how);
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
  if (box) await page.press(q(`Text2(${box[1]})`), 'Enter');
  else if (how === 'click' || how === 'tap') await press(q('Command1(0)'));
  else {
    await page.focus(q('Command1(0)'));
    await page.keyboard.press(how);
  }
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
  const s = await openPage(group, {}, on);
  const { page } = s;
  // The font drawn, lest the fallback under test be silently another.
  await check(`${group}: the captions are drawn in ${families.join(' or ')}`, async () => {
    const fonts = await (await devtools(s)).fonts(q(design.title));
    ok(fonts.length && families.includes(fonts[0].familyName), `drawn in ${JSON.stringify(fonts)}` +
      (fs.existsSync('/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf') ? '' : ' (no DejaVu Serif: install fonts-dejavu-core)'));
  });
  await check(`${group}: the window`, async () => same(await page.evaluate((id) => {
    const w = document.getElementById(id);
    const r = w.getBoundingClientRect();
    const cs = getComputedStyle(w);
    return [r.width, r.height, cs.backgroundColor, cs.fontSize, cs.fontFamily.split(',')[0].replace(/"/g, ''),
      document.title, document.documentElement.lang];
  }, PAGE.window), [design.client.widthPx, design.client.heightPx, `rgb(${design.windowColour.join(', ')})`,
    `${design.font.pointSize * 4 / 3}px`, design.font.family, design.caption, LANGUAGE],
  'width, height, colour, font size and family, title, language'));
  await check(`${group}: shown at start`, async () => {
    const shown = {};
    for (const c of design.controls) shown[c.name] = await isShown(page, c.id);
    same(shown, Object.fromEntries(design.controls.map((c) => [c.name, !c.hiddenAtStart])), 'shown');
  });
  await check(`${group}: the reference text at start`, async () =>
    same(await output(page), lf(design.referenceText), 'output box'));
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
    if (!s || s.locale !== locale) {
      if (s) await s.close();
      s = { ...await openPage(`reports ${locale}`, { locale }), locale };
    }
    await check(`reports ${locale}: ${name}`, async () => {
      if (!boxes) {  // Clear
        await s.page.click(q('Command1(1)'));
        same(await values(s.page, ['Text1(0)', ...BOXES, ...OPTIONS]), [CLEARED, '', '', '', false, false, false, false],
          'output, boxes and options after Clear');
        return;
      }
      const got = await report(s.page, { method, boxes, how });
      if (method !== null) last = method;
      same(got, native(last, got.boxes, locale), 'report');
    });
  }
  await s.close();
};

// Seeded random inputs of up to 3 typeable characters, each way of
// calculating in turn, compared with the native reports byte for byte.
function randomCases(seed, count) {
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
    let f = '';
    for (let n = Math.floor(next() * 4); n > 0; n--) f += pick('0123456789012345678901234567890123456789.,-+eEdD&HO xя');
    return f;
  };
  return Array.from({ length: count }, () => ({
    method: Math.floor(next() * 4), separator: SEPARATOR['bg-BG'], boxes: [field(100, 230), field(30, 200), field(60, 140)],
  }));
}
groups.random = async () => {
  const seed = Number(process.env.TEGLOMER_PAGE_SEED || 32);
  const s = await openPage('random');
  const cases = randomCases(seed, 100);
  const hows = ['click', 'box 1', 'Enter', 'box 0', 'Space'];
  const got = [];
  for (const [i, c] of cases.entries()) got.push(await report(s.page, { ...c, how: hows[i % hows.length] }));
  // A hidden chest-girth box keeps its text; the native side gets what the boxes hold.
  const wanted = nativeReports(cases.map((c, i) => ({ ...c, boxes: got[i].boxes })));
  const bad = cases.map((c, i) => {
    try {
      same(got[i], wanted[i], 'report');
      return null;
    } catch (e) {
      return `method ${c.method}, boxes ${JSON.stringify(c.boxes)}, ${hows[i % hows.length]}: ${e.message}`;
    }
  }).filter(Boolean);
  const decimals = wanted.filter((w) => /\d[.,]\d/.test(w.output.split('\n').slice(1).join('\n'))).length;
  console.log(`random: ${decimals} reports with decimals, ${wanted.filter((w) => w.warnings.length).length} overflow warnings`);
  await check(`random: ${cases.length} inputs (seed ${seed}) give the native reports`, () =>
    ok(!bad.length, `${bad.length} of ${cases.length} differ; the first:\n${bad.slice(0, 5).join('\n')}`));
  await s.close();
};

// Focus order and a visible focus mark, keys, at most 3 characters, the
// chest-girth row, the output box read-only but selectable and copyable.
groups.keyboard = async () => {
  const s = await openPage('keyboard');
  const { page } = s;
  const order = design.focusOrder.map(idOf);
  const hiddenAtStart = design.controls.filter((c) => c.hiddenAtStart).map((c) => c.id);
  const looks = async (id) => {
    const r = await page.evaluate((i) => document.getElementById(i).getBoundingClientRect().toJSON(), id);
    return page.screenshot({ clip: { x: r.x - 4, y: r.y - 4, width: r.width + 8, height: r.height + 8 } });
  };
  // Tab from the first stop on; each stop's neighbourhood must look different
  // from its unfocused look (`unfocused`, when given).
  const tabChain = async (stops, unfocused) => {
    const chain = [await focused(page)];
    const unmarked = [];
    for (let i = 0; i < stops.length; i++) {
      if (i > 0) {
        await page.keyboard.press('Tab');
        chain.push(await focused(page));
      }
      if (unfocused && chain[i] === stops[i] && (await looks(stops[i])).equals(unfocused[i])) unmarked.push(stops[i]);
    }
    return { chain, unmarked };
  };
  await check('keyboard: the focus is in the output box at start', async () => same(await focused(page), order[0], 'focus'));
  await check('keyboard: Tab at start follows the design, hidden box passed over', async () => {
    const stops = order.filter((id) => !hiddenAtStart.includes(id));
    same((await tabChain(stops)).chain, stops, 'Tab chain');
  });
  await page.click(optionLabel(3));
  await page.click(q('Command1(1)'));  // Borngard, then Clear: every stop shows, none checked
  await page.evaluate(() => document.activeElement.blur());
  const unfocused = [];
  for (const id of order) unfocused.push(await looks(id));
  await page.focus(`[id="${order[0]}"]`);
  const all = await tabChain(order, unfocused);
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
      await page.focus(q(`Option1(${from})`));
      await page.keyboard.press(key);
      same([await focused(page), (await values(page, OPTIONS))[to], await isShown(page, idOf('Label2(2)')), await isShown(page, idOf('Text2(2)'))],
        [idOf(`Option1(${to})`), true, to === 3, to === 3], 'focus, option checked, chest-girth caption and box shown');
      if (to === 3) same(await page.inputValue(q('Text2(2)')), '88', 'the chest girth kept');
    });
  }
  await check('keyboard: Space on Clear clears', async () => {
    await page.focus(q('Command1(1)'));
    await page.keyboard.press('Space');
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
  const s = await openPage('dialog');
  const { page } = s;
  for (const [close, how, back] of [['Escape', 'box 1', 'Text2(1)'], ['Enter', 'Enter', 'Command1(0)'], ['click', 'box 1', 'Text2(1)']]) {
    await check(`dialog: weight 9e9, ${how} to calculate, closed by ${close}`, async () => {
      await page.reload();
      await waitReady(page);
      await report(page, { method: 0, boxes: ['170', '9e9', ''], how, close: null });
      const want = native(0, ['170', '9e9', '']);
      same(await page.evaluate((ids) => {
        const d = document.getElementById(ids.warning);
        return [d.open, d.matches(':modal'), d.contains(document.activeElement), document.getElementById(ids.message).textContent];
      }, PAGE), [true, true, true, want.warnings[0]], 'open, modal, focus inside, message');
      await page.keyboard.press('Tab');
      ok(await page.evaluate((id) => document.getElementById(id).contains(document.activeElement)
        || document.activeElement === document.body, PAGE.warning), 'Tab left the open dialog for the page behind it');
      same(await closeWarnings(page, close), want.warnings, 'messages');
      same(await focused(page), idOf(back), 'focus after closing');
      same(await output(page), want.output, 'output');
      same(await report(page, { boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'the next report');
    });
  }
  await s.close();
};

// What a screen reader gets (Chromium's own accessibility tree), what the
// live region says, and axe-core's verdict in each state of the page.
groups.accessibility = async () => {
  const s = await openPage('accessibility');
  const { page } = s;
  const tools = await devtools(s);
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
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
      same([own.role.value, String((own.name || {}).value).trim()], [role, accessibleName], 'role and name');
      if (name === 'Text1(0)') same(prop(own, 'readonly'), true, 'read-only');
      if (role !== 'radio') return;
      // Up the tree from the option: its nearest group.
      const byId = new Map(nodes.map((n) => [n.nodeId, n]));
      let n = own;
      while (n && !(n.role && ['radiogroup', 'group'].includes(n.role.value) && !n.ignored)) n = byId.get(n.parentId);
      same(n && n.name && n.name.value.trim(), design.names.methodGroup, 'the name of its group');
    });
  }

  // The live region, after each change.
  await check('accessibility: the announcer is a polite live region', async () =>
    same(prop((await tools.ax(`#${PAGE.announcer}`)).own || {}, 'live'), 'polite', 'aria-live'));
  const squeeze = (t) => t.replace(/\s+/g, ' ').trim();
  for (const [step, act, said] of [
    ['Calculate', () => page.click(q('Command1(0)')), async () => squeeze(await output(page))],
    ['Clear', () => page.click(q('Command1(1)')), () => CLEARED],
    ['the chest-girth box appearing', async () => {
      await page.click(optionLabel(0));
      await page.click(optionLabel(3));
    }, () => design.names.chestGirthShown],
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
    ['at start', async () => { await page.reload(); await waitReady(page); }],
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
    same(String(((await tools.ax(`#${PAGE.ok}`)).own.name || {}).value).trim(), design.names.warningButton, 'name'));
  await closeWarnings(page);
  await s.close();
};

// A phone and 200 % zoom: no sideways scroll, the window and every control in
// view, and a report made by touch or click.
groups.phone = async () => {
  for (const [name, options] of [
    ['phone 360 px', { viewport: { width: 360, height: 640 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }],
    ['200 % zoom of a 1280 x 800 screen', { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 }],
  ]) {
    const s = await openPage(`phone ${name}`, options);
    await check(`phone: ${name}: the whole window in view, no sideways scroll`, async () => same(await s.page.evaluate((ids) => {
      const inView = (el) => {
        const r = el.getBoundingClientRect();
        return r.left >= -0.5 && r.top >= -0.5 && r.right <= innerWidth + 0.5 && r.bottom <= innerHeight + 0.5;
      };
      return [document.documentElement.scrollWidth > innerWidth, ...ids.filter((i) => {
        const el = document.getElementById(i);
        return !el.hidden && !inView(el);
      })];
    }, [PAGE.window, ...design.controls.map((c) => c.id)]), [false], 'sideways scroll, then what is out of view'));
    await check(`phone: ${name}: a report by ${options.hasTouch ? 'touch' : 'click'}`, async () =>
      same(await report(s.page, { method: 3, boxes: ['170', '72', '90'], how: options.hasTouch ? 'tap' : 'click' }),
        native(3, ['170', '72', '90']), 'report'));
    await s.close();
  }
};

// After one visit the page loads and calculates with the network gone; then,
// served a new build, it keeps that build's files instead, and a build whose
// file is not the one its service worker names is refused, the old kept.
// The builds differ from this one in one byte of the page's title.
function otherBuilds() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-builds-'));
  const kept = [...fs.readFileSync(path.join(args.site, 'sw.js'), 'utf8').matchAll(/\['([^']+)', '[0-9a-f]+'\]/g)]
    .map(([, f]) => (f === './' ? 'index.html' : f));
  ok(kept.includes('index.html'), `no page among the service worker's files ${kept}`);
  const retitle = (site, char) => {
    const file = path.join(site, 'index.html');
    const html = fs.readFileSync(file);
    const at = html.indexOf('<title>') + '<title>'.length;
    ok(at > 6 && html[at] < 0x80, 'the title does not start with an ASCII character');
    html[at] = char.charCodeAt(0);
    fs.writeFileSync(file, html);
    return char + design.caption.slice(1);
  };
  const build = (name, char, stamp) => {
    const site = path.join(dir, name);
    fs.cpSync(args.site, site, { recursive: true });
    const title = retitle(site, char);
    if (stamp) {
      const run = spawnSync(args.cmake, [`-DSITE=${site}`, `-DFILES=${kept.join(',')}`,
        `-DTEMPLATE=${path.join(__dirname, '../../web/sw.js')}`, '-P', path.join(__dirname, '../../web/stamp.cmake')], { encoding: 'utf8' });
      ok(run.status === 0, `stamping ${site}/sw.js: ${run.stderr}`);
    }
    return { site, title };
  };
  const renewed = build('renewed', '#', true);
  // The renewed build's worker, serving a page one more byte away from it.
  const altered = build('altered', '%', true);
  retitle(altered.site, '&');
  return { dir, renewed, altered: { site: altered.site, title: design.caption } };
}
const cacheOf = (site) => /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'))[1];
groups.offline = async () => {
  const builds = otherBuilds();
  try {
    for (const [name, build, becomes] of [
      ['one visit', null],
      ['a new build replaces the kept files', builds.renewed, 'activated'],
      ['a file not of its build is refused', builds.altered, 'redundant'],
    ]) {
      const s = await openPage(`offline, ${name}`);
      const { page } = s;
      await check(`offline, ${name}: a service worker controls the page after one visit`, async () => {
        await workerReady(page);
        await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
      });
      if (build) {
        await check(`offline, ${name}: the new service worker is ${becomes}`, async () => {
          server.dir = build.site;
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
          // A refused build's half-filled cache may stay until the next build is taken.
          same([state, becomes === 'activated' ? keys : keys.filter((k) => k === cacheOf(args.site))],
            [becomes, [cacheOf(becomes === 'activated' ? build.site : args.site)]], 'the new worker, the caches kept');
        });
      }
      await check(`offline, ${name}: the page reloads, opens in a new tab and calculates with the network gone`, async () => {
        server.offline = true;
        try {
          for (const p of [page, await s.context.newPage()]) {
            await (p === page ? p.reload() : p.goto(server.url));
            await waitReady(p);
            same(await p.title(), build ? build.title : design.caption, 'the title of the build kept');
            same(await report(p, { method: 0, boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'report');
          }
        } finally {
          server.offline = false;
          server.dir = args.site;
        }
      });
      if (!build) {
        await check('offline: the manifest, in the page\'s language, standalone, with icons of their sizes', async () => {
          const href = await page.evaluate(() => { const l = document.querySelector('link[rel="manifest"]'); return l && l.href; });
          ok(href, 'no <link rel="manifest">');
          const manifest = await (await s.context.request.get(href)).json();
          same([manifest.lang, manifest.display], [LANGUAGE, 'standalone'], 'language, display');
          ok((manifest.icons || []).length > 0, 'no icons');
          same(await page.evaluate((icons) => Promise.all(icons.map((icon) => new Promise((resolve) => {
            const img = new Image();
            img.onload = () => resolve(`${icon.src} ${img.naturalWidth}x${img.naturalHeight}`);
            img.onerror = () => resolve(`${icon.src} does not load`);
            img.src = icon.src;
          }))), manifest.icons), manifest.icons.map((icon) => `${icon.src} ${icon.sizes}`), 'icons');
        });
      }
      await s.close();
    }
  } finally {
    server.dir = args.site;
    fs.rmSync(builds.dir, { recursive: true, force: true });
  }
};

// The CSP, and that the page sends nothing anywhere and keeps nothing.
groups.privacy = async () => {
  server.clear();
  const s = await openPage('privacy');
  const { page, context } = s;
  // A visit that touches everything.
  await report(page, { method: 3, boxes: ['170', '72', '90'], how: 'box 1' });
  ok((await report(page, { method: 0, boxes: ['170', '9e9', ''] })).warnings.length, 'no warning');
  await page.click(q('Command1(1)'));
  await workerReady(page);
  await check('privacy: the page declares the policy it is served with', async () => {
    const header = s.response.headers()['content-security-policy'];
    ok(header, 'no Content-Security-Policy header (the site\'s _headers)');
    same(await page.evaluate(() => { const m = document.querySelector('meta[http-equiv="Content-Security-Policy"]'); return m && m.content; }),
      header, 'the page\'s own policy');
  });
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
      const before = passed + failed;
      const t = Date.now();
      try {
        await groups[g]();
      } catch (e) {
        // A step between the cases broke: the group cannot go on.
        failed++;
        console.log(`FAIL ${g}: stopped: ${e.stack || e}`);
      }
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
