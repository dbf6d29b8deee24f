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
for (const [key, what] of [['site', 'folder'], ['design', 'file'], ['report-dump', 'program']]) {
  if (!args[key] || !fs.existsSync(args[key])) {
    console.error(`--${key}: the ${what} ${args[key] || '(not given)'} is missing` +
      (key === 'report-dump' ? ' (the native build\'s tests; CMake: -DTEGLOMER_NATIVE_TOOLS=DIR)' : ''));
    process.exit(2);
  }
}
const design = JSON.parse(fs.readFileSync(args.design, 'utf8'));
const control = Object.fromEntries(design.controls.map((c) => [c.name, c]));
const idOf = (name) => control[name].id;
const captionOf = (name) => control[name].caption.trim();
const SEPARATOR = { 'bg-BG': ',', 'en-US': '.' };

// The native build's reports for [{method, separator, height, weight, chest}],
// one report_dump run for the lot.
function nativeReports(cases) {
  const field = (v) => {
    if (/[\t\n]/.test(v)) throw new Error(`field ${JSON.stringify(v)} holds a tab or line feed`);
    return v;
  };
  const input = cases.map((c) =>
    [c.method, c.separator, c.height, c.weight, c.chest].map((v) => field(String(v))).join('\t') + '\n').join('');
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
      `page:   ${JSON.stringify(actual.slice(from, i + 50))}\n` +
      `wanted: ${JSON.stringify(expected.slice(from, i + 50))}`);
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
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()} (${m.location().url})`));
  page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
  await context.exposeBinding('__cspViolation', (_, v) => problems.push(`CSP: ${v}`));
  await context.addInitScript(() => document.addEventListener('securitypolicyviolation', (e) =>
    window.__cspViolation(`${e.violatedDirective} blocked ${e.blockedURI} at ${e.sourceFile}:${e.lineNumber}`)));
  const response = await page.goto(server.url);
  await waitReady(page);
  return {
    page, context, response, problems,
    async close() {
      await check(`${group}: no console errors, uncaught errors or CSP violations`, () =>
        same(problems, [], 'problems'));
      await context.close();
    },
  };
}
async function waitReady(page) {
  await page.waitForFunction(() => document.documentElement.dataset.ready === '1', null, { timeout: 15000 });
}

const $ = (id) => `[id="${id}"]`;
const isShown = (page, id) => page.evaluate((i) => {
  const el = document.getElementById(i);
  return !el.hidden && el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible';
}, id);

// Closes whatever warnings a step opened, the way `how` says; their messages.
async function closeWarnings(page, how = 'Escape') {
  const messages = [];
  for (let n = 0; n < 5 && await page.evaluate(() => document.getElementById('warning').open); n++) {
    messages.push(await page.textContent('#warning-message'));
    if (how === 'Escape') await page.keyboard.press('Escape');
    else if (how === 'Enter') await page.keyboard.press('Enter');
    else await page.click('#warning-ok');
  }
  return messages;
}

// One report as a person makes it: an option clicked (none when method is
// null), the boxes typed into, Calculate clicked or Enter pressed in a box.
// The page's output and warnings against the native report's.
async function compareReport(page, locale, c, state) {
  if (c.method !== null) await page.click(`label[for="${idOf(`Option1(${c.method})`)}"]`);
  const inputs = [c.height, c.weight, c.chest];
  for (let i = 0; i < 3; i++) {
    if (await isShown(page, idOf(`Text2(${i})`))) await page.fill($(idOf(`Text2(${i})`)), inputs[i]);
  }
  if (c.enterIn !== undefined) await page.press($(idOf(`Text2(${c.enterIn})`)), 'Enter');
  else await page.click($(idOf('Command1(0)')));
  const warnings = await closeWarnings(page);
  const typed = await page.evaluate((ids) => ids.map((i) => document.getElementById(i).value),
    [0, 1, 2].map((i) => idOf(`Text2(${i})`)));
  if (c.method !== null) state.method = c.method;
  const [want] = nativeReports([{ method: state.method, separator: SEPARATOR[locale], height: typed[0], weight: typed[1], chest: typed[2] }]);
  const output = await page.inputValue($(idOf('Text1(0)')));
  same(output, want.output, 'output');
  same(warnings, want.warnings, 'warnings');
  if (c[locale]) ok(output.includes(c[locale]), `output ${JSON.stringify(output)} lacks ${JSON.stringify(c[locale])}`);
}

// --- the groups --------------------------------------------------------------

const groups = {};

// Every control's box (relative to the window, within 1 px), colour, caption
// and whether it shows at start; the window's size, colour, font and title.
// Under the system's fonts, and again with DejaVu alone, whose serif is wider
// than the design's font: captions then shrink, and must still not be cut.
function dejavuOnly() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-fonts-'));
  fs.writeFileSync(path.join(dir, 'fonts.conf'), `<?xml version="1.0"?>
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${dir}/cache</cachedir>
<include ignore_missing="no">/etc/fonts/conf.d</include></fontconfig>`);
  return { FONTCONFIG_FILE: path.join(dir, 'fonts.conf') };
}
groups.layout = async () => {
  for (const [fonts, env, family] of [
    ['system fonts', null, /^(Times New Roman|Liberation Serif)$/],
    ['DejaVu alone', dejavuOnly(), /^DejaVu Serif$/],
  ]) {
    const on = env ? await launch(env) : browser;
    try {
      await layoutWith(fonts, on, family);
    } finally {
      if (env) await on.close();
    }
  }
};
async function layoutWith(fonts, on, family) {
  const s = await openPage(`layout, ${fonts}`, {}, on);
  const { page } = s;
  // The font drawn, lest the fallback under test be silently another.
  await check(`layout, ${fonts}: the captions are drawn in ${family}`, async () => {
    const cdp = await s.context.newCDPSession(page);
    await cdp.send('DOM.enable');
    await cdp.send('CSS.enable');
    const { root } = await cdp.send('DOM.getDocument', { depth: -1 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: $(idOf('Label1(0)')) });
    const { fonts: used } = await cdp.send('CSS.getPlatformFontsForNode', { nodeId });
    ok(used.length && family.test(used[0].familyName), `drawn in ${JSON.stringify(used)}`);
  });
  await check(`layout, ${fonts}: the window`, async () => {
    const got = await page.evaluate(() => {
      const w = document.getElementById('window');
      const r = w.getBoundingClientRect();
      const cs = getComputedStyle(w);
      return { width: r.width, height: r.height, colour: cs.backgroundColor, size: cs.fontSize,
        family: cs.fontFamily.split(',')[0].replace(/"/g, '').trim(), title: document.title, lang: document.documentElement.lang };
    });
    same(got, { width: design.client.widthPx, height: design.client.heightPx, colour: `rgb(${design.windowColour.join(', ')})`,
      size: '16px', family: 'Times New Roman', title: design.caption, lang: 'bg' }, 'window');
  });
  await check(`layout, ${fonts}: shown at start`, async () => {
    const shown = {};
    for (const c of design.controls) shown[c.name] = await isShown(page, c.id);
    same(shown, Object.fromEntries(design.controls.map((c) => [c.name, !c.hiddenAtStart])), 'shown');
  });
  await check(`layout, ${fonts}: the reference text at start`, async () =>
    same(await page.inputValue($(idOf('Text1(0)'))), design.referenceText.replace(/\r\n/g, '\n'), 'output box'));
  await page.click(`label[for="${idOf('Option1(3)')}"]`);  // the chest-girth row shows
  for (const c of design.controls) {
    await check(`layout, ${fonts}: ${c.name}`, async () => {
      const got = await page.evaluate(({ id, kind }) => {
        const el = document.getElementById(kind === 'option' ? `${id}-box` : id);
        const w = document.getElementById('window').getBoundingClientRect();
        const r = el.getBoundingClientRect();
        // The caption's own text: an option's is in its label.
        const holder = kind === 'option' ? document.querySelector(`label[for="${id}"]`) : el;
        const range = document.createRange();
        range.selectNodeContents(holder);
        const t = range.getBoundingClientRect();
        const cut = t.width > 0 && (t.left < r.left - 0.5 || t.right > r.right + 0.5 || t.top < r.top - 0.5 || t.bottom > r.bottom + 0.5);
        return { left: r.left - w.left, top: r.top - w.top, width: r.width, height: r.height,
          colour: getComputedStyle(el).backgroundColor, caption: holder.textContent.trim(), cut };
      }, c);
      for (const k of ['left', 'top', 'width', 'height']) {
        ok(Math.abs(got[k] - c.px[k]) <= 1, `${k} is ${got[k]} px, the design's ${c.px[k]} px`);
      }
      if (c.colour) same(got.colour, `rgb(${c.colour.join(', ')})`, 'colour');
      if (c.caption) same(got.caption, c.caption.trim(), 'caption');
      ok(!got.cut, `the caption is cut: it does not fit its ${got.width} x ${got.height} px face`);
    });
  }
  await s.close();
}

// The method table's reports and the edge cases of the handlers, under a
// Bulgarian and an English browser; rows run in order on one page.
const REPORT_CASES = [
  { name: 'Calculate before any choice runs the body mass index', method: null, height: '170', weight: '72', chest: '' },
  { name: 'body mass index', method: 0, height: '170', weight: '72', chest: '', 'bg-BG': 'Индекс на телесната маса: 24,91', 'en-US': 'Индекс на телесната маса: 24.91' },
  { name: 'Broca', method: 1, height: '170', weight: '72', chest: '', 'bg-BG': 'Наднормено тегло: 7' },
  { name: 'Breitman', method: 2, height: '171', weight: '72', chest: '', 'bg-BG': 'Наднормено тегло: 2,3', 'en-US': 'Наднормено тегло: 2.3' },
  { name: 'Borngard', method: 3, height: '170', weight: '72', chest: '90', 'bg-BG': 'Наднормено тегло: 8,25', 'en-US': 'Наднормено тегло: 8.25' },
  { name: 'Borngard, Enter in the chest-girth box', method: 3, height: '180', weight: '95', chest: '101', enterIn: 2 },
  { name: 'Broca with empty boxes', method: 1, height: '', weight: '', chest: '' },
  { name: 'Broca, Enter in the height box', method: 1, height: '160', weight: '50', chest: '', enterIn: 0 },
  { name: 'body mass index, empty height', method: 0, height: '', weight: '72', chest: '' },
  { name: 'body mass index, comma and halves', method: 0, height: '1,7', weight: '72.5', chest: '', enterIn: 1 },
  { name: 'body mass index, negative weight', method: 0, height: '99', weight: '-72', chest: '' },
  { name: 'body mass index, exponent', method: 0, height: '1e2', weight: '16', chest: '' },
  { name: 'Breitman, hexadecimal', method: 2, height: '&HF', weight: '1 7', chest: '' },
  { name: 'Breitman, overflow', method: 2, height: '170', weight: '9e9', chest: '' },
  { name: 'Clear', clear: true },
  { name: 'Calculate after Clear runs the method chosen last', method: null, height: '200', weight: '90', chest: '' },
];
async function reportsUnder(locale) {
  const s = await openPage(`reports ${locale}`, { locale });
  const state = { method: 0 };
  for (const c of REPORT_CASES) {
    await check(`reports ${locale}: ${c.name}`, async () => {
      if (!c.clear) return compareReport(s.page, locale, c, state);
      await s.page.click($(idOf('Command1(1)')));
      const after = await s.page.evaluate((ids) => ({
        output: document.getElementById(ids.out).value,
        inputs: ids.inputs.map((i) => document.getElementById(i).value),
        checked: ids.options.map((i) => document.getElementById(i).checked),
      }), { out: idOf('Text1(0)'), inputs: [0, 1, 2].map((i) => idOf(`Text2(${i})`)), options: [0, 1, 2, 3].map((i) => idOf(`Option1(${i})`)) });
      same(after, { output: 'Направете нов избор', inputs: ['', '', ''], checked: [false, false, false, false] }, 'after Clear');
    });
  }
  await s.close();
}
groups.reports = async () => {
  await reportsUnder('bg-BG');
  await reportsUnder('en-US');
};

// A few hundred random inputs of up to 3 typeable characters, seeded, entered
// in the page and compared with the native reports byte for byte.
function randomCases(seed, count, separator) {
  let x = seed >>> 0;
  const next = () => {  // mulberry32
    x = (x + 0x6d2b79f5) >>> 0;
    let t = x;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (s) => s[Math.floor(next() * s.length)];
  const chars = '0123456789012345678901234567890123456789.,-+eEdD&HO xя';
  const digit = () => pick('123456789');
  const field = (low, high) => {
    const kind = next();
    if (kind < 0.4) return String(low + Math.floor(next() * (high - low)));
    // Exponents: three characters are enough to overflow.
    if (kind < 0.5) return digit() + pick('eEdD') + digit();
    let f = '';
    for (let n = Math.floor(next() * 4); n > 0; n--) f += pick(chars);
    return f;
  };
  return Array.from({ length: count }, () => ({
    method: Math.floor(next() * 4), separator, height: field(100, 230), weight: field(30, 200), chest: field(60, 140),
  }));
}
groups.random = async () => {
  const seed = Number(process.env.TEGLOMER_PAGE_SEED || 16);
  for (const [n, locale] of ['bg-BG', 'en-US'].entries()) {
    const s = await openPage(`random ${locale}`, { locale });
    const cases = randomCases(seed * 2 + n, 200, SEPARATOR[locale]);
    const wanted = nativeReports(cases);
    // Entered in the page itself, one case after another, as fast as events go.
    const got = await s.page.evaluate(({ cases, ids }) => {
      const el = (i) => document.getElementById(i);
      return cases.map((c) => {
        el(ids.options[c.method]).click();
        [c.height, c.weight, c.chest].forEach((v, i) => {
          el(ids.inputs[i]).value = v;
          el(ids.inputs[i]).dispatchEvent(new Event('input', { bubbles: true }));
        });
        el(ids.calculate).click();
        const warnings = [];
        for (let n = 0; n < 5 && el('warning').open; n++) {
          warnings.push(el('warning-message').textContent);
          el('warning-ok').click();
        }
        return { output: el(ids.output).value, warnings, inputs: ids.inputs.map((i) => el(i).value) };
      });
    }, { cases, ids: { options: [0, 1, 2, 3].map((i) => idOf(`Option1(${i})`)), inputs: [0, 1, 2].map((i) => idOf(`Text2(${i})`)),
      calculate: idOf('Command1(0)'), output: idOf('Text1(0)') } });
    const decimals = wanted.filter((w) => /\d[.,]\d/.test(w.output.split('\n').slice(1).join('\n'))).length;
    const warned = wanted.filter((w) => w.warnings.length).length;
    console.log(`random ${locale}: ${decimals} reports with decimals, ${warned} overflow warnings`);
    let bad = 0;
    await check(`random ${locale}: ${cases.length} inputs (seed ${seed * 2 + n}) give the native reports`, () => {
      const lines = [];
      cases.forEach((c, i) => {
        try {
          same(got[i].inputs, [c.height, c.weight, c.chest], 'boxes');
          same(got[i].output, wanted[i].output, 'output');
          same(got[i].warnings, wanted[i].warnings, 'warnings');
        } catch (e) {
          if (++bad <= 5) lines.push(`method ${c.method}, boxes ${JSON.stringify([c.height, c.weight, c.chest])}: ${e.message}`);
        }
      });
      ok(bad === 0, `${bad} of ${cases.length} differ; the first:\n${lines.join('\n')}`);
    });
    await s.close();
  }
};

// Focus order, keys, at most 3 characters, the chest-girth row, a visible
// focus mark, the output box read-only but selectable.
groups.keyboard = async () => {
  const s = await openPage('keyboard');
  const { page } = s;
  const focused = () => page.evaluate(() => document.activeElement && document.activeElement.id);
  const tabChain = async (stops) => {
    const chain = [await focused()];
    for (let i = 1; i < stops; i++) {
      await page.keyboard.press('Tab');
      chain.push(await focused());
    }
    return chain;
  };
  const order = design.focusOrder.map(idOf);
  const hiddenAtStart = design.controls.filter((c) => c.hiddenAtStart).map((c) => c.id);
  const startOrder = order.filter((id) => !hiddenAtStart.includes(id));
  await check('keyboard: the focus is in the output box at start', async () => same(await focused(), order[0], 'focus'));
  await check('keyboard: Tab at start follows the design, hidden box passed over', async () =>
    same(await tabChain(startOrder.length), startOrder, 'Tab chain'));

  // Each stop shows a focus mark: its neighbourhood looks different focused.
  const looks = async (id) => {
    const r = await page.evaluate((i) => document.getElementById(i).getBoundingClientRect().toJSON(), id);
    return page.screenshot({ clip: { x: r.x - 4, y: r.y - 4, width: r.width + 8, height: r.height + 8 } });
  };
  await page.click(`label[for="${idOf('Option1(3)')}"]`);
  await page.click($(idOf('Command1(1)')));  // Borngard, then Clear: every stop shows, none checked
  await page.evaluate(() => document.activeElement.blur());
  const unfocused = {};
  for (const id of order) unfocused[id] = await looks(id);
  await page.focus($(order[0]));
  const chain = [await focused()];
  const unmarked = [];
  for (let i = 0; i < order.length; i++) {
    if (i > 0) {
      await page.keyboard.press('Tab');
      chain.push(await focused());
    }
    if (chain[i] === order[i] && (await looks(order[i])).equals(unfocused[order[i]])) unmarked.push(order[i]);
  }
  await check('keyboard: Tab visits all ten stops once the chest-girth box shows', () => same(chain, order, 'Tab chain'));
  await check('keyboard: every stop shows a focus mark', () => same(unmarked, [], 'stops that look the same focused'));

  for (let i = 0; i < 3; i++) {
    await check(`keyboard: a 4th character cannot be typed or pasted into Text2(${i})`, async () => {
      const box = $(idOf(`Text2(${i})`));
      await page.fill(box, '');
      await page.focus(box);
      await page.keyboard.type('1234');
      same(await page.inputValue(box), '123', 'typed 1234');
      await page.fill(box, '');
      await page.keyboard.insertText('98765');
      same(await page.inputValue(box), '987', 'pasted 98765');
    });
  }
  // The chest-girth row by keyboard: Space on each option in turn; its text
  // stays while hidden.
  await page.fill($(idOf('Text2(2)')), '88');
  for (const m of [0, 1, 2, 3, 2, 3]) {
    await check(`keyboard: Space on Option1(${m}) ${m === 3 ? 'shows' : 'hides'} the chest-girth row`, async () => {
      await page.focus($(idOf(`Option1(${m})`)));
      await page.keyboard.press('Space');
      same(await page.isChecked($(idOf(`Option1(${m})`))), true, 'checked');
      same([await isShown(page, idOf('Label2(2)')), await isShown(page, idOf('Text2(2)'))], [m === 3, m === 3], 'chest-girth caption and box shown');
      if (m === 3) same(await page.inputValue($(idOf('Text2(2)'))), '88', 'the chest girth kept');
    });
  }
  for (const [button, key, expect] of [['Command1(0)', 'Enter', 'Изчисляване: индекс на Борнгард\n'], ['Command1(1)', 'Space', 'Направете нов избор']]) {
    await check(`keyboard: ${key} on ${button}`, async () => {
      await page.focus($(idOf(button)));
      await page.keyboard.press(key);
      const out = await page.inputValue($(idOf('Text1(0)')));
      ok(out.startsWith(expect), `output ${JSON.stringify(out.slice(0, 60))} does not start with ${JSON.stringify(expect)}`);
    });
  }
  await check('keyboard: the output box is read-only but selectable and copyable', async () => {
    const box = $(idOf('Text1(0)'));
    const before = await page.inputValue(box);
    await page.focus(box);
    await page.keyboard.type('xyz');
    await page.keyboard.press('Backspace');
    same(await page.inputValue(box), before, 'text after typing');
    await page.keyboard.press('Control+A');
    same(await page.evaluate((i) => { const b = document.getElementById(i); return [b.selectionStart, b.selectionEnd]; }, idOf('Text1(0)')),
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
  const weight = $(idOf('Text2(1)'));
  for (const [how, from] of [['Escape', 'Enter in Text2(1)'], ['Enter', 'Calculate clicked'], ['click', 'Enter in Text2(1)']]) {
    await check(`dialog: weight 9e9, ${from}, closed by ${how}`, async () => {
      await page.reload();
      await waitReady(page);
      await page.click(`label[for="${idOf('Option1(0)')}"]`);
      await page.fill($(idOf('Text2(0)')), '170');
      await page.fill(weight, '9e9');
      let back;
      if (from.startsWith('Enter')) {
        await page.press(weight, 'Enter');
        back = idOf('Text2(1)');
      } else {
        await page.click($(idOf('Command1(0)')));
        back = idOf('Command1(0)');
      }
      const [want] = nativeReports([{ method: 0, separator: ',', height: '170', weight: '9e9', chest: '' }]);
      const open = await page.evaluate(() => {
        const d = document.getElementById('warning');
        return { open: d.open, modal: d.matches(':modal'), focusInside: d.contains(document.activeElement),
          message: document.getElementById('warning-message').textContent };
      });
      same(open, { open: true, modal: true, focusInside: true, message: want.warnings[0] }, 'dialog');
      // Tab stays inside while it is open.
      await page.keyboard.press('Tab');
      ok(await page.evaluate(() => document.getElementById('warning').contains(document.activeElement)
        || document.activeElement === document.body), 'Tab left the open dialog for the page behind it');
      same(await closeWarnings(page, how), [want.warnings[0]], 'messages');
      same(await page.evaluate(() => document.activeElement.id), back, 'focus after closing');
      same(await page.inputValue($(idOf('Text1(0)'))), want.output, 'output');
      await page.fill(weight, '72');
      await page.click($(idOf('Command1(0)')));
      const [after] = nativeReports([{ method: 0, separator: ',', height: '170', weight: '72', chest: '' }]);
      same(await page.inputValue($(idOf('Text1(0)'))), after.output, 'the next report');
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
  const axNode = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    ok(nodeId, `no element ${selector}`);
    const { node } = await cdp.send('DOM.describeNode', { nodeId });
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: true });
    // Its own node, and the others (its ancestors among them).
    return { own: nodes.find((n) => n.backendDOMNodeId === node.backendNodeId), nodes };
  };
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
  await page.click(`label[for="${idOf('Option1(3)')}"]`);  // every control shown
  const rows = [
    ...[0, 1, 2].map((i) => [`Text2(${i})`, 'textbox', captionOf(`Label2(${i})`)]),
    ...[0, 1, 2, 3].map((i) => [`Option1(${i})`, 'radio', captionOf(`Option1(${i})`)]),
    ...[0, 1].map((i) => [`Command1(${i})`, 'button', captionOf(`Command1(${i})`)]),
    ['Text1(0)', 'textbox', design.names.output],
  ];
  for (const [name, role, accessibleName] of rows) {
    await check(`accessibility: ${name} is a ${role} named ${JSON.stringify(accessibleName)}`, async () => {
      const { own } = await axNode($(idOf(name)));
      ok(own && !own.ignored, 'not in the accessibility tree');
      same([own.role.value, (own.name || {}).value], [role, accessibleName], 'role and name');
      if (name === 'Text1(0)') same(prop(own, 'readonly'), true, 'read-only');
    });
  }
  for (const i of [0, 1, 2, 3]) {
    await check(`accessibility: Option1(${i}) is in the group ${JSON.stringify(design.names.methodGroup)}`, async () => {
      const { own, nodes } = await axNode($(idOf(`Option1(${i})`)));
      // Up the tree from the option: its nearest group.
      const byId = new Map(nodes.map((n) => [n.nodeId, n]));
      let n = own;
      while (n && !(n.role && ['radiogroup', 'group'].includes(n.role.value) && !n.ignored)) n = byId.get(n.parentId);
      ok(n, 'no group around it');
      same(n.name && n.name.value, design.names.methodGroup, 'group name');
    });
  }

  // The live region, after each change.
  const announced = () => page.evaluate(() => document.getElementById('announcer').textContent.replace(/\s+/g, ' ').trim());
  const output = async () => (await page.inputValue($(idOf('Text1(0)')))).replace(/\s+/g, ' ').trim();
  await check('accessibility: the announcer is a polite live region', async () => {
    const { own } = await axNode('#announcer');
    same(prop(own || {}, 'live'), 'polite', 'aria-live');
  });
  for (const [step, act, expect] of [
    ['Calculate', () => page.click($(idOf('Command1(0)'))), output],
    ['Clear', () => page.click($(idOf('Command1(1)'))), output],
    ['the chest-girth box appearing', async () => {
      await page.click(`label[for="${idOf('Option1(0)')}"]`);
      await page.click(`label[for="${idOf('Option1(3)')}"]`);
    }, async () => design.names.chestGirthShown],
  ]) {
    await check(`accessibility: ${step} is announced`, async () => {
      await act();
      const said = await announced();
      const want = await expect();
      ok(said.includes(want) && said.length > 0, `announced ${JSON.stringify(said)}, wanted ${JSON.stringify(want)}`);
    });
  }

  // axe-core in each state; the page's CSP does not apply to code run by the
  // test driver.
  const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  for (const [state, reach] of [
    ['at start', async () => { await page.reload(); await waitReady(page); }],
    ['with the chest-girth row and a report', async () => {
      await page.click(`label[for="${idOf('Option1(3)')}"]`);
      await page.fill($(idOf('Text2(0)')), '170');
      await page.fill($(idOf('Text2(1)')), '72');
      await page.fill($(idOf('Text2(2)')), '90');
      await page.click($(idOf('Command1(0)')));
    }],
    ['with the warning open', async () => {
      await page.fill($(idOf('Text2(1)')), '9e9');
      await page.click($(idOf('Command1(0)')));
    }],
  ]) {
    await check(`accessibility: axe-core finds no violation ${state}`, async () => {
      await reach();
      await page.evaluate(axe);
      const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
      same(violations, [], 'violations');
    });
  }
  await closeWarnings(page);
  await s.close();
};

// A phone and 200 % zoom: no sideways scroll, the whole window in view, each
// control inside it, and a report made by touch or click.
groups.phone = async () => {
  for (const [name, options] of [
    ['phone 360 px', { viewport: { width: 360, height: 640 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }],
    ['200 % zoom of a 1280 x 800 screen', { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 }],
  ]) {
    const s = await openPage(`phone ${name}`, options);
    const { page } = s;
    await check(`phone: ${name}: the whole window in view, no sideways scroll`, async () => {
      const got = await page.evaluate((ids) => {
        const vw = window.innerWidth;
        const vh = window.innerHeight;
        const inView = (r) => r.left >= -0.5 && r.top >= -0.5 && r.right <= vw + 0.5 && r.bottom <= vh + 0.5;
        const w = document.getElementById('window').getBoundingClientRect();
        return { sideways: document.documentElement.scrollWidth > vw, window: inView(w),
          outside: ids.filter((i) => { const el = document.getElementById(i); return !el.hidden && !inView(el.getBoundingClientRect()); }) };
      }, design.controls.map((c) => c.id));
      same(got, { sideways: false, window: true, outside: [] }, 'view');
    });
    await check(`phone: ${name}: a report by ${options.hasTouch ? 'touch' : 'click'}`, async () => {
      const press = (sel) => (options.hasTouch ? page.tap(sel) : page.click(sel));
      await press(`label[for="${idOf('Option1(3)')}"]`);
      for (const [i, v] of [[0, '170'], [1, '72'], [2, '90']]) await page.fill($(idOf(`Text2(${i})`)), v);
      await press($(idOf('Command1(0)')));
      const [want] = nativeReports([{ method: 3, separator: ',', height: '170', weight: '72', chest: '90' }]);
      same(await page.inputValue($(idOf('Text1(0)'))), want.output, 'output');
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
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
  });
  await check('offline: the page reloads and calculates with the network gone', async () => {
    server.offline = true;
    try {
      for (const p of [page, await s.context.newPage()]) {
        if (p === page) await p.reload();
        else await p.goto(server.url);
        await waitReady(p);
        await p.click(`label[for="${idOf('Option1(0)')}"]`);
        await p.fill($(idOf('Text2(0)')), '170');
        await p.fill($(idOf('Text2(1)')), '72');
        await p.click($(idOf('Command1(0)')));
        ok((await p.inputValue($(idOf('Text1(0)')))).includes('24,91'), 'no report offline');
      }
    } finally {
      server.offline = false;
    }
  });
  await check('offline: the manifest, in Bulgarian, standalone, with icons that load', async () => {
    const href = await page.evaluate(() => { const l = document.querySelector('link[rel="manifest"]'); return l && l.href; });
    ok(href, 'no <link rel="manifest">');
    const manifest = await (await s.context.request.get(href)).json();
    ok(manifest.name && /[а-я]/i.test(manifest.name), `name ${JSON.stringify(manifest.name)} is not Bulgarian`);
    same(manifest.display, 'standalone', 'display');
    ok(Array.isArray(manifest.icons) && manifest.icons.length > 0, 'no icons');
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
  const elsewhere = [];
  context.on('request', (r) => { if (!r.url().startsWith(server.origin + '/')) elsewhere.push(r.url()); });
  // A visit that touches everything.
  await page.click(`label[for="${idOf('Option1(3)')}"]`);
  for (const [i, v] of [[0, '170'], [1, '9e9'], [2, '90']]) await page.fill($(idOf(`Text2(${i})`)), v);
  await page.press($(idOf('Text2(1)')), 'Enter');
  await closeWarnings(page);
  await page.click($(idOf('Command1(1)')));
  await page.evaluate(() => navigator.serviceWorker && navigator.serviceWorker.ready);
  await check('privacy: served and declared under the CSP', async () => {
    same(s.response.headers()['content-security-policy'], CSP, 'the CSP header');
    same(await page.evaluate(() => { const m = document.querySelector('meta[http-equiv="Content-Security-Policy"]'); return m && m.content; }),
      CSP, 'the page\'s own CSP');
  });
  await check('privacy: no cookie, no storage', async () => {
    same(await context.cookies(), [], 'cookies');
    same(await page.evaluate(async () => ({
      cookie: document.cookie, local: localStorage.length, session: sessionStorage.length,
      databases: indexedDB.databases ? (await indexedDB.databases()).length : 0,
    })), { cookie: '', local: 0, session: 0, databases: 0 }, 'storage');
  });
  await check('privacy: nothing requested but the site\'s own files', async () => {
    same(elsewhere, [], 'requests elsewhere');
    same(server.errors, [], 'server errors');
    same(server.requests.filter((r) => r.status !== 200 || r.method !== 'GET').map((r) => `${r.method} ${r.path} ${r.status}`), [], 'requests that were not a GET of a file');
  });
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
  console.log(`(${path.basename(args.site)} at ${server.url}, ${((Date.now() - started) / 1000).toFixed(1)} s)`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
