// SPDX-License-Identifier: GPL-3.0-or-later
// The web page in headless Chromium, checked against the design table and the
// native build's reports:
//   node page_test.js --site DIR --design design.json --report-dump PATH [GROUP...]
// Each group (all when none is named) opens its own pages; every row of a
// table is one case. A failed case prints its name and what differed; the
// last line is "N passed, N failed".
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { CSP, serve, launch } = require('./browser');

// --- arguments, design, native reports --------------------------------------

const args = { groups: [] };
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
const boxIds = [0, 1, 2].map((i) => idOf(`Text2(${i})`));
const SEPARATOR = { 'bg-BG': ',', 'en-US': '.' };

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
  return lines.map((line) => {
    const r = JSON.parse(line);
    // A textarea's value holds line feeds only; the window's CR LF must be
    // whole, with no lone CR or LF, before it is compared as LF.
    if (/\r(?!\n)|(?<!\r)\n/.test(r.output)) throw new Error(`native report with a lone CR or LF: ${line}`);
    return { output: r.output.replace(/\r\n/g, '\n'), warnings: r.warnings };
  });
}
const native = (method, locale, boxes) => nativeReports([{ method, separator: SEPARATOR[locale], boxes }])[0];

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

// --- pages -------------------------------------------------------------------

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
// A step that may never end (e.g. a service worker that never installs) fails instead.
const within = (promise, ms, what) => Promise.race([promise,
  new Promise((_, fail) => setTimeout(() => fail(new Error(`${what}: not within ${ms / 1000} s`)), ms).unref())]);
const workerReady = (page) => within(page.evaluate(() => navigator.serviceWorker.ready.then(() => true)), 15000,
  'the service worker ready');
const waitReady = (page) =>
  page.waitForFunction(() => document.documentElement.dataset.ready === '1', null, { timeout: 15000 });
const output = (page) => page.inputValue(q('Text1(0)'));
const isShown = (page, id) => page.evaluate((i) => {
  const el = document.getElementById(i);
  return !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
}, id);

// Closes whatever warnings a step opened, the way `how` says; their messages.
async function closeWarnings(page, how = 'Escape') {
  const messages = [];
  for (let n = 0; n < 5 && await page.evaluate(() => document.getElementById('warning').open); n++) {
    messages.push(await page.textContent('#warning-message'));
    if (how === 'click') await page.click('#warning-ok');
    else await page.keyboard.press(how);
  }
  return messages;
}

// A report as a person makes it: the option clicked (or tapped; none when
// method is null), the shown boxes typed into, then Calculate clicked, or
// Enter pressed in box `enterIn`.
async function makeReport(page, { method, boxes, enterIn, tap }) {
  if (method !== null) await (tap ? page.tap(optionLabel(method)) : page.click(optionLabel(method)));
  for (let i = 0; i < 3; i++) if (await isShown(page, boxIds[i])) await page.fill(`[id="${boxIds[i]}"]`, boxes[i]);
  if (enterIn !== undefined) await page.press(q(`Text2(${enterIn})`), 'Enter');
  else await (tap ? page.tap(q('Command1(0)')) : page.click(q('Command1(0)')));
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
  for (const [fonts, env, family] of [
    ['system fonts', null, /^(Times New Roman|Liberation Serif)$/],
    ['DejaVu alone', { FONTCONFIG_FILE: path.join(dir, 'fonts.conf') }, /^DejaVu Serif$/],
  ]) {
    const on = env ? await launch(env) : browser;
    try {
      await layoutWith(`layout, ${fonts}`, on, family);
    } finally {
      if (env) await on.close();
    }
  }
  fs.rmSync(dir, { recursive: true, force: true });
};
async function layoutWith(group, on, family) {
  const s = await openPage(group, {}, on);
  const { page } = s;
  // The font drawn, lest the fallback under test be silently another.
  await check(`${group}: the captions are drawn in ${family}`, async () => {
    const cdp = await s.context.newCDPSession(page);
    await cdp.send('DOM.enable');
    await cdp.send('CSS.enable');
    const { root } = await cdp.send('DOM.getDocument', { depth: -1 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: q('Label1(0)') });
    const { fonts } = await cdp.send('CSS.getPlatformFontsForNode', { nodeId });
    ok(fonts.length && family.test(fonts[0].familyName), `drawn in ${JSON.stringify(fonts)}` +
      (fs.existsSync('/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf') ? '' : ' (no DejaVu Serif: install fonts-dejavu-core)'));
  });
  await check(`${group}: the window`, async () => same(await page.evaluate(() => {
    const w = document.getElementById('window');
    const r = w.getBoundingClientRect();
    const cs = getComputedStyle(w);
    return [r.width, r.height, cs.backgroundColor, cs.fontSize, cs.fontFamily.split(',')[0].replace(/"/g, ''),
      document.title, document.documentElement.lang];
  }), [design.client.widthPx, design.client.heightPx, `rgb(${design.windowColour.join(', ')})`, '16px',
    'Times New Roman', design.caption, 'bg'], 'width, height, colour, font size and family, title, language'));
  await check(`${group}: shown at start`, async () => {
    const shown = {};
    for (const c of design.controls) shown[c.name] = await isShown(page, c.id);
    same(shown, Object.fromEntries(design.controls.map((c) => [c.name, !c.hiddenAtStart])), 'shown');
  });
  await check(`${group}: the reference text at start`, async () =>
    same(await output(page), design.referenceText.replace(/\r\n/g, '\n'), 'output box'));
  await page.click(optionLabel(3));  // the chest-girth row shows
  for (const c of design.controls) {
    await check(`${group}: ${c.name}`, async () => {
      const got = await page.evaluate(({ id, kind }) => {
        const face = document.getElementById(kind === 'option' ? `${id}-box` : id);
        const w = document.getElementById('window').getBoundingClientRect();
        const r = face.getBoundingClientRect();
        // The caption's own text (an option's is in its label) within the face.
        const holder = kind === 'option' ? document.querySelector(`label[for="${id}"]`) : face;
        const range = document.createRange();
        range.selectNodeContents(holder);
        const t = range.getBoundingClientRect();
        const cut = t.width > 0 && (t.left < r.left - 0.5 || t.right > r.right + 0.5 || t.top < r.top - 0.5 || t.bottom > r.bottom + 0.5);
        return { left: r.left - w.left, top: r.top - w.top, width: r.width, height: r.height,
          colour: getComputedStyle(face).backgroundColor, caption: holder.textContent.trim(), cut };
      }, c);
      for (const k of ['left', 'top', 'width', 'height']) ok(Math.abs(got[k] - c.px[k]) <= 1, `${k} is ${got[k]} px, the design's ${c.px[k]} px`);
      if (c.colour) same(got.colour, `rgb(${c.colour.join(', ')})`, 'colour');
      if (c.caption) same(got.caption, c.caption.trim(), 'caption');
      ok(!got.cut, `the caption is cut: it does not fit its ${got.width} x ${got.height} px face`);
    });
  }
  await s.close();
}

// The method table's reports and the handlers' edge cases under a Bulgarian
// and an English browser, in order on one page, each against the native
// report; some also against the number they must show.
const REPORT_CASES = [
  ['Calculate before any choice runs the body mass index', null, ['170', '72', '']],
  ['body mass index', 0, ['170', '72', ''], { 'bg-BG': 'Индекс на телесната маса: 24,91', 'en-US': 'Индекс на телесната маса: 24.91' }],
  ['Broca', 1, ['170', '72', ''], { 'bg-BG': 'Наднормено тегло: 7' }],
  ['Breitman', 2, ['171', '72', ''], { 'bg-BG': 'Наднормено тегло: 2,3', 'en-US': 'Наднормено тегло: 2.3' }],
  ['Borngard', 3, ['170', '72', '90'], { 'bg-BG': 'Наднормено тегло: 8,25', 'en-US': 'Наднормено тегло: 8.25' }],
  ['Borngard, Enter in the chest-girth box', 3, ['180', '95', '101'], {}, 2],
  ['Broca, Enter in the height box', 1, ['160', '50', ''], {}, 0],
  ['body mass index, comma and a half, Enter in the weight box', 0, ['1,7', '72.5', ''], {}, 1],
  ['Breitman, overflow', 2, ['170', '9e9', '']],
  ['Clear'],
  ['Calculate after Clear runs the method chosen last', null, ['200', '90', '']],
];
groups.reports = async () => {
  for (const locale of ['bg-BG', 'en-US']) {
    const s = await openPage(`reports ${locale}`, { locale });
    let last = 0;  // the method chosen last
    for (const [name, method, boxes, shows = {}, enterIn] of REPORT_CASES) {
      await check(`reports ${locale}: ${name}`, async () => {
        if (!boxes) {  // Clear
          await s.page.click(q('Command1(1)'));
          same(await s.page.evaluate((ids) => ids.map((i) => { const el = document.getElementById(i); return el.type === 'radio' ? el.checked : el.value; }),
            [idOf('Text1(0)'), ...boxIds, ...[0, 1, 2, 3].map((i) => idOf(`Option1(${i})`))]),
          ['Направете нов избор', '', '', '', false, false, false, false], 'output, boxes and options after Clear');
          return;
        }
        await makeReport(s.page, { method, boxes, enterIn });
        const warnings = await closeWarnings(s.page);
        if (method !== null) last = method;
        // What the boxes really hold goes to the native side.
        const want = native(last, locale, await s.page.evaluate((ids) => ids.map((i) => document.getElementById(i).value), boxIds));
        const got = await output(s.page);
        same(got, want.output, 'output');
        same(warnings, want.warnings, 'warnings');
        if (shows[locale]) ok(got.includes(shows[locale]), `output ${JSON.stringify(got)} lacks ${JSON.stringify(shows[locale])}`);
      });
    }
    await s.close();
  }
};

// A few hundred random inputs of up to 3 typeable characters, seeded, entered
// in the page and compared with the native reports byte for byte.
function randomCases(seed, count, separator) {
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
    method: Math.floor(next() * 4), separator, boxes: [field(100, 230), field(30, 200), field(60, 140)],
  }));
}
groups.random = async () => {
  const seed = Number(process.env.TEGLOMER_PAGE_SEED || 16);
  for (const [n, locale] of ['bg-BG', 'en-US'].entries()) {
    const s = await openPage(`random ${locale}`, { locale });
    const cases = randomCases(seed * 2 + n, 200, SEPARATOR[locale]);
    const wanted = nativeReports(cases);
    // Entered in the page itself, one case after another, as fast as events go.
    const got = await s.page.evaluate(({ cases, boxIds, ids }) => {
      const el = (i) => document.getElementById(i);
      return cases.map((c) => {
        el(`Option1-${c.method}`).click();
        c.boxes.forEach((v, i) => {
          el(boxIds[i]).value = v;
          el(boxIds[i]).dispatchEvent(new Event('input', { bubbles: true }));
        });
        el(ids.calculate).click();
        const warnings = [];
        for (let k = 0; k < 5 && el('warning').open; k++) {
          warnings.push(el('warning-message').textContent);
          el('warning-ok').click();
        }
        return { output: el(ids.output).value, warnings, boxes: boxIds.map((i) => el(i).value) };
      });
    }, { cases, boxIds, ids: { calculate: idOf('Command1(0)'), output: idOf('Text1(0)') } });
    const decimals = wanted.filter((w) => /\d[.,]\d/.test(w.output.split('\n').slice(1).join('\n'))).length;
    console.log(`random ${locale}: ${decimals} reports with decimals, ${wanted.filter((w) => w.warnings.length).length} overflow warnings`);
    await check(`random ${locale}: ${cases.length} inputs (seed ${seed * 2 + n}) give the native reports`, () => {
      const bad = [];
      cases.forEach((c, i) => {
        try {
          same(got[i], { output: wanted[i].output, warnings: wanted[i].warnings, boxes: c.boxes }, 'report');
        } catch (e) {
          bad.push(`method ${c.method}, boxes ${JSON.stringify(c.boxes)}: ${e.message}`);
        }
      });
      ok(!bad.length, `${bad.length} of ${cases.length} differ; the first:\n${bad.slice(0, 5).join('\n')}`);
    });
    await s.close();
  }
};

// Focus order and a visible focus mark, keys, at most 3 characters, the
// chest-girth row, the output box read-only but selectable and copyable.
groups.keyboard = async () => {
  const s = await openPage('keyboard');
  const { page } = s;
  const focused = () => page.evaluate(() => document.activeElement && document.activeElement.id);
  const order = design.focusOrder.map(idOf);
  const hiddenAtStart = design.controls.filter((c) => c.hiddenAtStart).map((c) => c.id);
  // Tab from the first stop on; each stop's neighbourhood must look different
  // from its unfocused look (`unfocused`, when given).
  const tabChain = async (stops, unfocused) => {
    const chain = [await focused()];
    const unmarked = [];
    for (let i = 0; i < stops.length; i++) {
      if (i > 0) {
        await page.keyboard.press('Tab');
        chain.push(await focused());
      }
      if (unfocused && chain[i] === stops[i] && (await looks(stops[i])).equals(unfocused[i])) unmarked.push(stops[i]);
    }
    return { chain, unmarked };
  };
  const looks = async (id) => {
    const r = await page.evaluate((i) => document.getElementById(i).getBoundingClientRect().toJSON(), id);
    return page.screenshot({ clip: { x: r.x - 4, y: r.y - 4, width: r.width + 8, height: r.height + 8 } });
  };
  await check('keyboard: the focus is in the output box at start', async () => same(await focused(), order[0], 'focus'));
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
  await check('keyboard: Tab visits all ten stops once the chest-girth box shows', () => same(all.chain, order, 'Tab chain'));
  await check('keyboard: every stop shows a focus mark', () => same(all.unmarked, [], 'stops that look the same focused'));

  for (const box of boxIds) {
    await check(`keyboard: a 4th character cannot be typed or pasted into ${box}`, async () => {
      for (const [how, text, kept] of [['type', '1234', '123'], ['insertText', '98765', '987']]) {
        await page.fill(`[id="${box}"]`, '');
        await page.focus(`[id="${box}"]`);
        await page.keyboard[how](text);
        same(await page.inputValue(`[id="${box}"]`), kept, `${how} ${text}`);
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
      same([await focused(), await page.isChecked(q(`Option1(${to})`)), await isShown(page, idOf('Label2(2)')), await isShown(page, idOf('Text2(2)'))],
        [idOf(`Option1(${to})`), true, to === 3, to === 3], 'focus, option checked, chest-girth caption and box shown');
      if (to === 3) same(await page.inputValue(q('Text2(2)')), '88', 'the chest girth kept');
    });
  }
  for (const [button, key, starts] of [['Command1(0)', 'Enter', 'Изчисляване: индекс на Борнгард\n'], ['Command1(1)', 'Space', 'Направете нов избор']]) {
    await check(`keyboard: ${key} on ${button}`, async () => {
      await page.focus(q(button));
      await page.keyboard.press(key);
      const out = await output(page);
      ok(out.startsWith(starts), `output ${JSON.stringify(out.slice(0, 60))} does not start with ${JSON.stringify(starts)}`);
    });
  }
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
  for (const [how, enterIn, back] of [['Escape', 1, 'Text2(1)'], ['Enter', undefined, 'Command1(0)'], ['click', 1, 'Text2(1)']]) {
    await check(`dialog: weight 9e9, ${enterIn ? 'Enter in' : 'click on'} ${back}, closed by ${how}`, async () => {
      await page.reload();
      await waitReady(page);
      await makeReport(page, { method: 0, boxes: ['170', '9e9', ''], enterIn });
      const want = native(0, 'bg-BG', ['170', '9e9', '']);
      same(await page.evaluate(() => {
        const d = document.getElementById('warning');
        return [d.open, d.matches(':modal'), d.contains(document.activeElement), document.getElementById('warning-message').textContent];
      }), [true, true, true, want.warnings[0]], 'open, modal, focus inside, message');
      await page.keyboard.press('Tab');
      ok(await page.evaluate(() => document.getElementById('warning').contains(document.activeElement)
        || document.activeElement === document.body), 'Tab left the open dialog for the page behind it');
      same(await closeWarnings(page, how), want.warnings, 'messages');
      same(await page.evaluate(() => document.activeElement.id), idOf(back), 'focus after closing');
      same(await output(page), want.output, 'output');
      await makeReport(page, { method: null, boxes: ['170', '72', ''] });
      same(await output(page), native(0, 'bg-BG', ['170', '72', '']).output, 'the next report');
    });
  }
  await s.close();
};

// What a screen reader gets (Chromium's own accessibility tree), what the
// live region says, and axe-core's verdict in each state of the page.
groups.accessibility = async () => {
  const s = await openPage('accessibility');
  const { page } = s;
  const cdp = await s.context.newCDPSession(page);
  await cdp.send('Accessibility.enable');
  // An element's own accessibility node, and its relatives (ancestors among them).
  const axNode = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    ok(nodeId, `no element ${selector}`);
    const { node } = await cdp.send('DOM.describeNode', { nodeId });
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: true });
    return { own: nodes.find((n) => n.backendDOMNodeId === node.backendNodeId), nodes };
  };
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
  const caption = (name) => control[name].caption.trim();
  await page.click(optionLabel(3));  // every control shown
  for (const [name, role, accessibleName] of [
    ...[0, 1, 2].map((i) => [`Text2(${i})`, 'textbox', caption(`Label2(${i})`)]),
    ...[0, 1, 2, 3].map((i) => [`Option1(${i})`, 'radio', caption(`Option1(${i})`)]),
    ...[0, 1].map((i) => [`Command1(${i})`, 'button', caption(`Command1(${i})`)]),
    ['Text1(0)', 'textbox', design.names.output],
  ]) {
    await check(`accessibility: ${name} is a ${role} named ${JSON.stringify(accessibleName)}`, async () => {
      const { own, nodes } = await axNode(q(name));
      ok(own && !own.ignored, 'not in the accessibility tree');
      same([own.role.value, (own.name || {}).value], [role, accessibleName], 'role and name');
      if (name === 'Text1(0)') same(prop(own, 'readonly'), true, 'read-only');
      if (role !== 'radio') return;
      // Up the tree from the option: its nearest group.
      const byId = new Map(nodes.map((n) => [n.nodeId, n]));
      let n = own;
      while (n && !(n.role && ['radiogroup', 'group'].includes(n.role.value) && !n.ignored)) n = byId.get(n.parentId);
      same(n && n.name && n.name.value, design.names.methodGroup, 'the name of its group');
    });
  }

  // The live region, after each change.
  await check('accessibility: the announcer is a polite live region', async () =>
    same(prop((await axNode('#announcer')).own || {}, 'live'), 'polite', 'aria-live'));
  const squeeze = (t) => t.replace(/\s+/g, ' ').trim();
  for (const [step, act, said] of [
    ['Calculate', () => page.click(q('Command1(0)')), async () => squeeze(await output(page))],
    ['Clear', () => page.click(q('Command1(1)')), async () => squeeze(await output(page))],
    ['the chest-girth box appearing', async () => {
      await page.click(optionLabel(0));
      await page.click(optionLabel(3));
    }, () => design.names.chestGirthShown],
  ]) {
    await check(`accessibility: ${step} is announced`, async () => {
      await act();
      same(squeeze(await page.textContent('#announcer')), await said(), 'announced');
    });
  }

  // axe-core in each state; the page's CSP does not apply to code run by the
  // test driver.
  const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  for (const [state, reach] of [
    ['at start', async () => { await page.reload(); await waitReady(page); }],
    ['with the chest-girth row and a report', () => makeReport(page, { method: 3, boxes: ['170', '72', '90'] })],
    ['with the warning open', () => makeReport(page, { method: null, boxes: ['170', '9e9', '90'] })],
  ]) {
    await check(`accessibility: axe-core finds no violation ${state}`, async () => {
      await reach();
      await page.evaluate(axe);
      same(await page.evaluate(async () => (await window.axe.run(document)).violations
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`)), [], 'violations');
    });
  }
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
      return [document.documentElement.scrollWidth > innerWidth, ...['window', ...ids].filter((i) => {
        const el = document.getElementById(i);
        return !el.hidden && !inView(el);
      })];
    }, design.controls.map((c) => c.id)), [false], 'sideways scroll, then what is out of view'));
    await check(`phone: ${name}: a report by ${options.hasTouch ? 'touch' : 'click'}`, async () => {
      await makeReport(s.page, { method: 3, boxes: ['170', '72', '90'], tap: options.hasTouch });
      same(await output(s.page), native(3, 'bg-BG', ['170', '72', '90']).output, 'output');
    });
    await s.close();
  }
};

// After one visit the page loads and calculates with the network gone; the
// manifest and its icons are there.
groups.offline = async () => {
  const s = await openPage('offline');
  const { page } = s;
  await check('offline: a service worker controls the page after one visit', async () => {
    await workerReady(page);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
  });
  await check('offline: the page reloads, opens in a new tab and calculates with the network gone', async () => {
    server.offline = true;
    try {
      for (const p of [page, await s.context.newPage()]) {
        await (p === page ? p.reload() : p.goto(server.url));
        await waitReady(p);
        await makeReport(p, { method: 0, boxes: ['170', '72', ''] });
        same(await output(p), native(0, 'bg-BG', ['170', '72', '']).output, 'output');
      }
    } finally {
      server.offline = false;
    }
  });
  await check('offline: the manifest, in Bulgarian, standalone, with icons that load', async () => {
    const href = await page.evaluate(() => { const l = document.querySelector('link[rel="manifest"]'); return l && l.href; });
    ok(href, 'no <link rel="manifest">');
    const manifest = await (await s.context.request.get(href)).json();
    ok(/[а-я]/i.test(manifest.name || ''), `name ${JSON.stringify(manifest.name)} is not Bulgarian`);
    same(manifest.display, 'standalone', 'display');
    ok((manifest.icons || []).length > 0, 'no icons');
    for (const icon of manifest.icons) {
      const r = await s.context.request.get(new URL(icon.src, href).href);
      same([icon.src, r.status(), r.headers()['content-type']], [icon.src, 200, icon.type || 'image/png'], 'icon');
    }
  });
  await s.close();
};

// The CSP, and that the page sends nothing anywhere and keeps nothing.
groups.privacy = async () => {
  server.clear();
  const s = await openPage('privacy');
  const { page, context } = s;
  // A visit that touches everything.
  await makeReport(page, { method: 3, boxes: ['170', '9e9', '90'], enterIn: 1 });
  await closeWarnings(page);
  await page.click(q('Command1(1)'));
  await workerReady(page);
  await check('privacy: served and declared under the CSP', async () => same([s.response.headers()['content-security-policy'],
    await page.evaluate(() => { const m = document.querySelector('meta[http-equiv="Content-Security-Policy"]'); return m && m.content; })],
  [CSP, CSP], 'the CSP header, the page\'s own'));
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
