// SPDX-License-Identifier: GPL-3.0-or-later
// The web page in headless Chromium, what needs Chromium's own means
// (DevTools, Playwright's emulation of phones and requests); what any engine
// can show is engines_test.js's, run in each.
//   node page_test.js --site DIR --design design.json --report-dump PATH [--generate web_generate.js] [GROUP...]
// Each group (all when none is named) is a table of cases on pages of its own.
// A failed case prints its name and what differed; the last line is
// "N passed, N failed".
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { serve, launch, openPage, waitReady, devtools, driverOf } = require('./browser');
const { args, design, control, idOf, q, optionLabel, BOXES, OPTIONS, CLEARED, LANGUAGE, PAGE, SEPARATOR, nativeReports, native, rgb,
  counts, check, ok, same, within, output, warningOpen, closeWarnings, report, layout, finish } = require('./harness');

// --- the page ----------------------------------------------------------------

let browser;
let server;

// A page of its own, with its driver for harness.js as `d`, whose close()
// checks it had no console error, uncaught error or CSP violation.
async function open(group, options = {}, on = browser) {
  const s = await openPage(on, server.url, options);
  s.d = driverOf(s.page);
  s.close = async () => {
    await check(`${group}: no console errors, uncaught errors or CSP violations`, () => same(s.problems, [], 'problems'));
    await s.context.close();
  };
  return s;
}
const workerReady = (page) => within(page.evaluate(() => navigator.serviceWorker.ready.then(() => true)), 15000,
  'the service worker ready');
// --- the groups --------------------------------------------------------------

const groups = {};

// The font the captions are drawn in, as Chromium tells it: the system's,
// and again with DejaVu alone, whose serif is wider than the design's:
// captions then shrink, and every control must still sit in its place with
// its caption whole (engines_test.js checks the system fonts in each engine).
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
    const group = `layout, ${fonts}`;
    try {
      const s = await open(group, {}, on);
      // The font drawn, lest the fallback under test be silently another.
      await check(`${group}: the captions are drawn in ${families.join(' or ')}`, async () => {
        const drawn = await (await devtools(s)).fonts(q(design.title));
        ok(drawn.length && families.includes(drawn[0].familyName), `drawn in ${JSON.stringify(drawn)}` +
          (fs.existsSync('/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf') ? '' : ' (no DejaVu Serif: install fonts-dejavu-core)'));
      });
      if (env) await layout(s.d, group, 1);
      await s.close();
    } finally {
      if (env) await on.close();
    }
  }
  fs.rmSync(dir, { recursive: true, force: true });
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
  for (const c of cases) got.push(await report(s.d, c));
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

// What takes Chromium's screenshots and clipboard: a focus mark on every
// stop, no pasting past the boxes' length, the output box read-only but
// selectable and copyable (the focus order and the keys: engines_test.js).
groups.keyboard = async () => {
  const s = await open('keyboard');
  const { page } = s;
  const order = design.focusOrder.map(idOf);
  const looks = async (id) => {
    const r = await page.evaluate((i) => document.getElementById(i).getBoundingClientRect().toJSON(), id);
    return page.screenshot({ clip: { x: r.x - 4, y: r.y - 4, width: r.width + 8, height: r.height + 8 } });
  };
  await page.click(optionLabel(3));
  await page.click(q('Command1(1)'));  // Borngard, then Clear: every stop shows, none checked
  await page.evaluate(() => document.activeElement.blur());
  const unfocused = new Map();
  for (const id of order) unfocused.set(id, await looks(id));
  await check('keyboard: every stop reached by Tab shows a focus mark', async () => {
    const unmarked = [];
    await page.focus(`[id="${order[0]}"]`);
    for (let i = 0; i < order.length; i++) {
      if (i > 0) await page.keyboard.press('Tab');
      const id = await page.evaluate(() => document.activeElement.id);
      if (!unfocused.has(id) || (await looks(id)).equals(unfocused.get(id))) unmarked.push(id);
    }
    same(unmarked, [], 'stops that look the same focused');
  });
  for (const box of design.boxCaptions.map((b) => b.box)) {
    await check(`keyboard: a character past ${design.inputMaxLength} cannot be pasted into ${box}`, async () => {
      await page.fill(q(box), '');
      await page.focus(q(box));
      await page.keyboard.insertText('98765');
      same(await page.inputValue(q(box)), '98765'.slice(0, design.inputMaxLength), 'pasted 98765');
    });
  }
  await check('keyboard: the output box is read-only but selectable and copyable', async () => {
    const before = await output(s.d);
    await page.focus(q('Text1(0)'));
    await page.keyboard.type('xyz');
    await page.keyboard.press('Backspace');
    same(await output(s.d), before, 'text after typing');
    await page.keyboard.press('Control+A');
    same(await page.evaluate(() => [document.activeElement.selectionStart, document.activeElement.selectionEnd]),
      [0, before.length], 'selection after Ctrl+A');
    await s.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.origin });
    await page.keyboard.press('Control+C');
    same(await page.evaluate(() => navigator.clipboard.readText()), before, 'copied with Ctrl+C');
  });
  await s.close();
};

// What a screen reader gets (Chromium's own accessibility tree), what the
// live region says, and axe-core's verdict in each state of the page.
groups.accessibility = async () => {
  const s = await open('accessibility');
  const { page } = s;
  const tools = await devtools(s);
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
  // A name as heard: the white space around it is not said (one Chromium
  // keeps a caption's trailing space in it, another does not).
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
    ['Calculate', () => page.click(q('Command1(0)')), async () => squeeze(await output(s.d))],
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
    ['with the chest-girth row and a report', () => report(s.d, { method: 3, boxes: ['170', '72', '90'] })],
    ['with the warning open', async () => {
      await report(s.d, { method: 0, boxes: ['170', '9e9', ''], close: null });
      ok(await warningOpen(s.d), 'no warning open');
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
  await closeWarnings(s.d);
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
    const how = options.hasTouch ? 'tap' : 'click';
    await check(`phone: ${name}: a report by ${how}`, async () =>
      same(await report(s.d, { method: 3, boxes: ['170', '72', '90'], how }), native(3, ['170', '72', '90']), 'report'));
    await s.close();
  }
};

// Zoomed in, on phones either way round, and as the window: each criterion a
// row, checked from what the page computes; axe-core checks the rest.
const luminance = (css) => css.match(/[\d.]+/g).slice(0, 3).map((c) => c / 255)
  .map((c) => (c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4)).reduce((l, c, i) => l + c * [0.2126, 0.7152, 0.0722][i], 0);
const contrast = (a, b) => (Math.max(luminance(a), luminance(b)) + 0.05) / (Math.min(luminance(a), luminance(b)) + 0.05);
const FACES = [design.windowColour, ...design.controls.map((c) => c.colour).filter(Boolean)].map(rgb);
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
  ['reflow: the window where it fits, else no sideways scroll; laid out at the screen\'s width, unscaled; every control within the width, its captions at the design\'s size; Tab in the design\'s order; a report; the warning', async ({ page, d }, how) => {
    const [width, shown] = await page.$eval(`#${PAGE.window}`, (w) => [innerWidth, `${w.offsetWidth} x ${w.offsetHeight}`]);
    same(width, page.viewportSize().width, 'the width laid out at');
    ok(width < design.client.widthPx || shown === `${design.client.widthPx} x ${design.client.heightPx}`, `the window ${shown} px on a screen ${width} px wide`);
    same([...await withinWidth(page, design.controls.map((c) => c.id)), await page.evaluate(() => visualViewport.scale), ...await captionSizes(page),
      ...(await tabStops(page)).map((t) => t.id)], [true, 1, CAPTION_SIZE, ...design.focusOrder.map(idOf)],
    'no sideways scroll, controls out of width, scale, caption sizes, Tab chain');
    same(await report(d, { method: 3, boxes: ['170', '72', '90'], how }), native(3, ['170', '72', '90']), 'report');
    await report(d, { boxes: ['170', '72', '9e9'], how, close: null });
    same([await warningOpen(d), ...await withinWidth(page, [PAGE.warning])], [true, true], 'the warning open, no sideways scroll, out of width');
    await closeWarnings(d);
  }],
  ['1.4.11: box frames and the focus ring 3:1 against what is around them and every face', async ({ page }) => {
    const frames = await page.evaluate((ids) => ids.map((i) => getComputedStyle(document.getElementById(i)).borderTopColor), [...BOXES, 'Text1(0)'].map(idOf));
    const low = [...frames.map((f, i) => [`frame ${i}`, f, FACES[0]]), ...(await tabStops(page)).flatMap((t) => [t.around, ...FACES].map((f) => [t.id, t.outline[2], f]))]
      .filter(([, a, b]) => contrast(a, b) < 3).map(([what, a, b]) => `${what}: ${a} on ${b} ${contrast(a, b).toFixed(2)}:1`);
    same(low, [], 'below 3:1');
  }],
  ['1.4.12: no caption cut with the text spaced out', async ({ page }) => {
    await spaceText(page, true);
    const cut = await page.$$eval('.fit', (f) => f.filter((c) => c.getClientRects().length).flatMap((c) => [c, c.closest('.face')])
      .filter((c) => c.scrollWidth > c.clientWidth || c.scrollHeight > c.clientHeight).map((c) => c.id || c.textContent));
    await spaceText(page, false);
    same(cut, [], 'captions cut');
  }],
  ['2.5.8: every target 24 x 24 px, or its label is', async ({ page }) => same(await page.evaluate((ids) => ids.filter((i) => {
    const el = document.getElementById(i);
    return ![el, ...el.labels || []].some((t) => t.getBoundingClientRect().width >= 24 && t.getBoundingClientRect().height >= 24);
  }), design.focusOrder.map(idOf)), [], 'targets too small')],
  ['2.4.7: every stop reached by Tab shows a ring', async ({ page }) => same((await tabStops(page))
    .filter((t) => t.outline[0] === 'none' || parseFloat(t.outline[1]) < 2).map((t) => t.id), [], 'stops without a ring')],
  // Last: the window zoomed in after it fitted captions smaller (here spaced out).
  ['zoomed in after loading, every caption at the design\'s size', async ({ page }) => {
    await page.setViewportSize({ width: design.client.widthPx, height: 400 });
    await spaceText(page, true);
    ok((await captionSizes(page)).length > 1, 'no caption fitted smaller in the window');
    await page.setViewportSize({ width: 320, height: 256 });
    await spaceText(page, true);
    same(await captionSizes(page), [CAPTION_SIZE], 'caption sizes');
  }],
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
  for (const [view, options] of [
    ['400 % zoom of a 1280 px screen', { viewport: { width: 320, height: 256 }, deviceScaleFactor: 4 }],
    ['phone 320 x 568', { viewport: { width: 320, height: 568 }, ...phone }],
    ['landscape phone 568 x 320', { viewport: { width: 568, height: 320 }, ...phone }],
    ['the window at its own width', { viewport: { width: design.client.widthPx, height: 400 } }],
  ]) {
    const s = await open(`reflow, ${view}`, options);
    await s.page.click(optionLabel(3));  // every control shown
    for (const [criterion, test] of REFLOW) await check(`reflow, ${view}: ${criterion}`, () => test(s, options.hasTouch ? 'tap' : 'click'));
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
    fs.writeFileSync(path.join(dir, 'none'), '');
    const run = spawnSync(process.execPath, [args.generate, 'worker', path.join(__dirname, '../../web'), site, path.join(dir, 'none'), ...kept], { encoding: 'utf8' });
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
            same(await report(driverOf(p), { method: 0, boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'report');
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
  await report(s.d, { method: 3, boxes: ['170', '72', '90'], how: 'box 1' });
  ok((await report(s.d, { method: 0, boxes: ['170', '9e9', ''] })).warnings.length, 'no warning');
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
  const chosen = args.words.length ? args.words : Object.keys(groups);
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
      const [before, t] = [counts.passed + counts.failed, Date.now()];
      // A step between the cases that breaks stops its group.
      await groups[g]().catch((e) => check(`${g}: stopped`, () => { throw new Error(e.stack || e); }));
      console.log(`${g}: ${counts.passed + counts.failed - before} cases, ${((Date.now() - t) / 1000).toFixed(1)} s`);
    }
  } finally {
    await browser.close();
    await server.close();
  }
  finish(started, `${args.site} at ${server.url}`);
})();
