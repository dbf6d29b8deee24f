// SPDX-License-Identifier: GPL-3.0-or-later
// What needs Chromium's own means (DevTools, its emulation of phones and
// zoom); what any engine can show is page.test.js's, run in each.
//   node chromium.test.js --site DIR --design design.json --report-dump PATH
//        [--generate web_generate.js] [GROUP...]
// Each group (all when none is named) a table of cases on pages of its own.
'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { isDeepStrictEqual } = require('util');
const { after, before, describe, test } = require('node:test');
const { args, design, control, idOf, q, optionLabel, BOXES, OPTIONS, PAGE, SEPARATOR, nativeReports, native, rgb,
  within, until, value, warningOpen, closeWarnings, report, announced, strip, SCALE, asNative, checkReport, onPage,
  layoutTests } = require('./harness');
const { serve } = require('../../web/serve');
const { start } = require('./drivers');

let chromium;
let server;
before(async () => {
  server = await serve(args.site);
  chromium = await start('chromium');
  console.log(`chromium ${chromium.version}`);
});
after(async () => {
  if (chromium) await chromium.close();
  await server.close();
});

// Cases on a page of the shared Chromium, or of `browser`'s, with `options` (viewport).
const onChromium = (name, options, cases, browser = null) =>
  onPage(name, async () => (browser ? await browser() : chromium).open(server.url, options), cases);

// Chromium's own view through DevTools: the fonts a node is drawn in, and its
// accessibility node ({own, nodes}: with its relatives, ancestors among them).
async function devtools(page) {
  const cdp = await page.createCDPSession();
  for (const domain of ['DOM', 'CSS', 'Accessibility']) await cdp.send(`${domain}.enable`);
  const node = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    if (!nodeId) throw new Error(`no element ${selector}`);
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

const groups = {};

// The font the captions are drawn in: the system's, and with DejaVu alone,
// whose serif is wider than the design's: captions then shrink, and every
// control must still sit in its place with its caption whole.
groups.fonts = () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-fonts-'));
  fs.writeFileSync(path.join(dir, 'fonts.conf'), `<?xml version="1.0"?>
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${dir}/cache</cachedir>
<include ignore_missing="no">/etc/fonts/conf.d</include></fontconfig>`);
  let dejavu = null;
  const dejavuBrowser = () => dejavu || (dejavu = start('chromium', { env: { FONTCONFIG_FILE: `${dir}/fonts.conf` } }));
  after(async () => {
    if (dejavu) await (await dejavu).close();
    fs.rmSync(dir, { recursive: true, force: true });
  });
  for (const [fonts, families, browser] of [
    ['system fonts', [design.font.family, design.font.standIn], null],
    ['DejaVu alone', ['DejaVu Serif'], dejavuBrowser],
  ]) {
    onChromium(fonts, {}, (on) => {
      // The font drawn, lest the fallback under test be silently another.
      test(`captions drawn in ${families.join(' or ')}`, async () => {
        const [drawn] = await (await devtools(on.d.page)).fonts(q(design.title));
        assert.ok(drawn && families.includes(drawn.familyName), `drawn in ${JSON.stringify(drawn)}` +
          (fs.existsSync('/usr/share/fonts/truetype/dejavu') ? '' : ' (apt-get install fonts-dejavu-core)'));
      });
      if (browser) describe('layout', () => layoutTests(on, 1));
    }, browser);
  }
};

// Seeded random inputs of up to 3 typeable characters, each way of
// calculating in turn, compared with the native reports byte for byte.
groups.random = () => onChromium('random', {}, (on) => {
  const seed = Number(process.env.TEGLOMER_PAGE_SEED || 32);
  let x = seed >>> 0;
  const next = () => {  // mulberry32
    x = (x + 0x6d2b79f5) >>> 0;
    let t = Math.imul(x ^ (x >>> 15), x | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (s) => s[Math.floor(next() * s.length)];
  const typed = '0123456789012345678901234567890123456789.,-+eEdD&HO xя';
  const field = (low, high) => {
    const kind = next();
    if (kind < 0.4) return String(low + Math.floor(next() * (high - low)));
    // Exponents: three characters are enough to overflow.
    if (kind < 0.5) return pick('123456789') + pick('eEdD') + pick('123456789');
    return Array.from({ length: Math.floor(next() * 4) }, () => pick(typed)).join('');
  };
  const hows = ['click', 'box 1', 'Enter', 'box 0', 'Space'];
  // A third a child's measures with an age, mostly a child's, and a sex or
  // none chosen yet.
  const number = (low, high) => String(low + Math.floor(next() * (high - low)));
  const boxes = () => (next() < 0.3
    ? [number(90, 190), number(12, 80), '', number(1, 22), next() < 0.3 ? number(0, 12) : '', pick(['', '0', '1'])]
    : [field(100, 230), field(30, 200), field(60, 140)]);
  const cases = Array.from({ length: 100 }, (_, i) => ({ method: Math.floor(next() * 4),
    separator: SEPARATOR['bg-BG'], boxes: boxes(), how: hows[i % hows.length] }));
  test(`${cases.length} inputs (seed ${seed}) give the native reports`, async () => {
    const got = [];
    for (const c of cases) got.push(await report(on.d, c));
    // A hidden chest-girth box keeps its text; the native side gets what the boxes hold.
    const wanted = nativeReports(cases.map((c, i) => ({ ...c, boxes: got[i].boxes })));
    const decimals = wanted.filter((w) => /\d[.,]\d/.test(w.output.split('\n').slice(1).join('\n'))).length;
    console.log(`random: ${decimals} reports with decimals, ${wanted.filter((w) => w.warnings.length).length} warnings, ` +
      `${wanted.filter((w) => w.strip.bands.length < design.strip.bands.length).length} on a child's bands`);
    got.forEach((g, i) => { got[i] = asNative(g, wanted[i]); });
    const bad = cases.filter((c, i) => !isDeepStrictEqual(got[i], wanted[i]));
    const first = cases.indexOf(bad[0]);
    if (bad.length) assert.deepEqual(got[first], wanted[first], `${bad.length} differ; the first by ${bad[0].how}`);
  });
});

// What a screen reader gets (Chromium's accessibility tree), what the live
// region says, axe-core's verdict in each state of the page, and the output
// box: read-only, but selectable and copyable.
groups.accessibility = () => onChromium('accessibility', {}, (on) => {
  const tools = {};
  before(async () => {
    Object.assign(tools, await devtools(on.d.page));
    await on.d.click(optionLabel(3));  // every control shown
  });
  const prop = (node, name) => ((node.properties || []).find((p) => p.name === name) || { value: {} }).value.value;
  // A name as heard: the white space around it is not said (one Chromium
  // keeps a caption's trailing space in it, another does not).
  const nameOf = (node) => node && node.name && String(node.name.value).trim();
  const caption = (name) => control[name].caption.trim();
  const groupName = (option) => design.optionGroups.find((g) => g.options === control[option].group).name;
  for (const [name, role, accessibleName] of [
    ...design.boxCaptions.map((b) => [b.box, 'textbox', b.spoken || caption(b.label)]),
    ...OPTIONS.map((o) => [o, 'radio', caption(o)]),
    ...['Command1(0)', 'Command1(1)'].map((b) => [b, 'button', caption(b)]),
    ['Text1(0)', 'textbox', design.names.output],
  ]) {
    test(`${name}: ${role} «${accessibleName}»`, async () => {
      const { own, nodes } = await tools.ax(q(name));
      assert.ok(own && !own.ignored, 'not in the accessibility tree');
      assert.equal(own.role.value, role, 'role');
      assert.equal(nameOf(own), accessibleName, 'name');
      if (name === 'Text1(0)') assert.equal(prop(own, 'readonly'), true, 'read-only');
      if (role !== 'radio') return;
      // Up the tree from the option: its nearest group.
      const byId = new Map(nodes.map((n) => [n.nodeId, n]));
      let n = own;
      while (n && !(n.role && ['radiogroup', 'group'].includes(n.role.value) && !n.ignored)) n = byId.get(n.parentId);
      assert.equal(nameOf(n), groupName(name), 'the name of its group');
    });
  }
  // A line under the scale with nothing to say at start is not there for a
  // screen reader either; one that says something is.
  for (const note of design.controls.filter((c) => c.kind === 'note')) {
    test(`at start, ${note.name} ${note.caption ? 'in' : 'not in'} the accessibility tree`, async () => {
      await on.d.reload();
      const { own } = await tools.ax(q(note.name));
      assert.equal(!!own && !own.ignored, note.caption !== '', 'in the tree');
    });
  }
  test('the announcer: a polite live region', async () =>
    assert.equal(prop((await tools.ax(`#${PAGE.announcer}`)).own || {}, 'live'), 'polite', 'aria-live'));
  // A report's and Clear's announcements: the shared table's, in each engine.
  test('the chest-girth box appearing announced', async () => {
    await on.d.click(optionLabel(0));
    await on.d.click(optionLabel(3));
    assert.equal(await announced(on.d), design.names.chestGirthShown, 'announced');
  });
  // The page's CSP does not apply to code run by the test driver.
  const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
  for (const [state, reach] of [
    ['at start', () => on.d.reload()],
    ['with the chest-girth row and a report', () => report(on.d, { method: 3, boxes: ['170', '72', '90'] })],
    ['with the warning open', async () => {
      await report(on.d, { method: 0, boxes: ['170', '9e9', ''], close: null });
      assert.ok(await warningOpen(on.d), 'no warning open');
    }],
  ]) {
    test(`axe-core: no violation ${state}`, async () => {
      await reach();
      await on.d.page.evaluate(axe);
      const violations = await on.d.evaluate(async () => (await window.axe.run(document)).violations
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
      assert.deepEqual(violations, [], 'violations');
    });
  }
  test('the warning\'s button named as the design says', async () => {
    assert.equal(nameOf((await tools.ax(`#${PAGE.ok}`)).own), design.names.warningButton, 'name');
    await closeWarnings(on.d);
  });
  test('the output box: read-only, selectable, copyable', async () => {
    const { page } = on.d;
    const shown = await value(on.d, 'Text1(0)');
    await page.focus(q('Text1(0)'));
    await page.keyboard.type('xyz');
    await page.keyboard.press('Backspace');
    assert.equal(await value(on.d, 'Text1(0)'), shown, 'text after typing');
    const control = async (key) => {
      await page.keyboard.down('Control');
      await page.keyboard.press(key);
      await page.keyboard.up('Control');
    };
    await control('KeyA');
    const selected = await on.d.evaluate(() => [document.activeElement.selectionStart, document.activeElement.selectionEnd]);
    assert.deepEqual(selected, [0, shown.length], 'selection after Ctrl+A');
    await on.d.context.overridePermissions(server.origin, ['clipboard-read', 'clipboard-write']);
    await control('KeyC');
    assert.equal(await on.d.evaluate(() => navigator.clipboard.readText()), shown, 'copied with Ctrl+C');
  });
});

// Zoomed in, on a phone either way round, and as the window: each criterion
// a row, checked from what the page computes; axe-core checks the rest.
// The guidelines' formula is the native tests' own, asked of report_dump for
// pairs of computed colours: [[luminance of a, of b, contrast ratio]].
const contrasts = (pairs) => {
  const channels = (css) => css.match(/[\d.]+/g).slice(0, 3).map(Number).join(' ');
  const done = spawnSync(args['report-dump'], ['contrast'], { encoding: 'utf8',
    input: pairs.map(([a, b]) => `${channels(a)} ${channels(b)}\n`).join('') });
  if (done.status !== 0) throw new Error(`report_dump contrast failed: ${done.stderr}`);
  return done.stdout.split('\n').filter(Boolean).map((line) => JSON.parse(line));
};
// The rows of `rows` ([what, colour, colour, least]) whose two colours stand less than `least` apart.
const tooClose = (rows) => {
  const measured = contrasts(rows.map(([, a, b]) => [a, b]));
  return rows.filter(([, , , least], i) => measured[i][2] < least);
};
const FACES = [design.windowColour, ...design.controls.map((c) => c.colour).filter(Boolean)].map(rgb);
const CAPTION_SIZE = `${design.font.pointSize * 4 / 3}px`;
// Those of the elements that are not within the width.
const outOfWidth = (d, ids) => d.evaluate((i) => i.filter((id) => {
  const r = document.getElementById(id).getBoundingClientRect();
  return !r.width || r.left < 0 || r.right > innerWidth;
}), ids);
const captionSizes = (d) => d.evaluate(() => [...new Set([...document.querySelectorAll('.fit')]
  .map((c) => getComputedStyle(c).fontSize))]);
// The text spaced out as a reader's own style does (or no more), and the page
// settled after it.
const spaceText = (d, on) => d.evaluate(async (rules) => {
  const spaced = new CSSStyleSheet();
  for (const rule of rules) spaced.insertRule(rule);
  document.adoptedStyleSheets = rules.length ? [spaced] : [];
  for (let frame = 0; frame < 3; frame++) await new Promise(requestAnimationFrame);
}, on ? ['* { line-height: 1.5 !important; letter-spacing: 0.12em !important; word-spacing: 0.16em !important }',
  'p { margin-bottom: 2em !important }'] : []);
// Each stop from the first by Tab: its id, its ring (style, width, colour,
// opacity, and whether a box that clips its content hides a side of it
// whole), and the colour it is drawn on.
async function tabStops({ page }) {
  await page.focus(q(design.focusOrder[1]));
  await page.keyboard.down('Shift');
  await page.keyboard.press('Tab');
  await page.keyboard.up('Shift');
  const stops = [];
  for (const _ of design.focusOrder) {
    stops.push(await page.evaluate(() => {
      const el = document.activeElement;
      const cs = getComputedStyle(el);
      const r = el.getBoundingClientRect();
      const inner = parseFloat(cs.outlineOffset);  // the ring's inner edge, out from the element
      let cut = false;
      let under = null;
      for (let a = el.parentElement; a; a = a.parentElement) {
        const as = getComputedStyle(a);
        if (!under && as.backgroundColor !== 'rgba(0, 0, 0, 0)') under = as.backgroundColor;
        if (as.overflowX === 'visible' && as.overflowY === 'visible') continue;
        const c = a.getBoundingClientRect();
        const [left, top] = [c.left + a.clientLeft, c.top + a.clientTop];
        cut ||= r.left - inner <= left || r.top - inner <= top || r.right + inner >= left + a.clientWidth ||
          r.bottom + inner >= top + a.clientHeight;
      }
      const alpha = /rgba\(.*, ([\d.]+)\)/.exec(cs.outlineColor);
      const ring = { style: cs.outlineStyle, width: parseFloat(cs.outlineWidth), colour: cs.outlineColor,
        opaque: !alpha || Number(alpha[1]) === 1, cut };
      return { id: el.id, ring, around: under };
    }));
    await page.keyboard.press('Tab');
  }
  return stops;
}
// [name, (on, view) -> what the page shows, (view) -> what it should, or
// undefined where the row is not for the view]
const REFLOW = [
  ['laid out at the screen\'s width', ({ d }) => d.evaluate(() => innerWidth), (view) => view.width],
  ['unscaled', ({ d }) => d.evaluate(() => visualViewport.scale), () => 1],
  ['the window whole, or one column', ({ d }) => d.evaluate(([id, column]) => {
    const w = document.getElementById(id);
    return matchMedia(column).matches ? 'one column' : `${w.offsetWidth} x ${w.offsetHeight} px`;
  }, [PAGE.window, `(max-width: ${design.columnMaxWidth}px)`]), (view) => (view.width < design.client.widthPx ? 'one column'
    : `${design.client.widthPx} x ${design.client.heightPx} px`)],
  ['no sideways scroll', ({ d }) => d.evaluate(() => document.documentElement.scrollWidth <= innerWidth), () => true],
  ['every control within the width', ({ d }) => outOfWidth(d, design.controls.map((c) => c.id)), () => []],
  // Top to bottom, each control's place in the column never goes back: each
  // group of options stands where its first option's row is.
  ['in one column, the window\'s reading order', ({ d }) => d.evaluate((controls) => {
    const tops = controls.map((c) => [c, document.getElementById(c.faceId).getBoundingClientRect()])
      .sort(([, a], [, b]) => a.top - b.top || a.left - b.left);
    return tops.flatMap(([c], i) => (i && c.columnOrder < tops[i - 1][0].columnOrder
      ? [`${c.name} below ${tops[i - 1][0].name}`] : []));
  }, design.controls), (view) => (view.width < design.client.widthPx ? [] : undefined)],
  ['captions at the design\'s size', ({ d }) => captionSizes(d), () => [CAPTION_SIZE]],
  ['a report, the scale\'s marks where they stand', async ({ d }, view) => {
    const got = await report(d, { method: 3, boxes: ['170', '72', '90'], how: view.how });
    return asNative(got, native(3, got.boxes));
  }, (view) => (view.how ? native(3, ['170', '72', '90']) : undefined)],
  ['the warning within the width', async ({ d }) => {
    await report(d, { boxes: ['170', '72', '9e9'], close: null });
    const out = (await warningOpen(d)) ? await outOfWidth(d, [PAGE.warning]) : 'no warning';
    await closeWarnings(d);
    return out;
  }, () => []],
  ['1.4.11: frames and the focus ring 3:1 against what is around them', async (on) => {
    const frames = await on.d.evaluate((ids) => ids.map((i) => getComputedStyle(document.getElementById(i))
      .borderTopColor), [...BOXES, 'Text1(0)'].map(idOf));
    return tooClose([...frames.map((f, i) => [`frame ${i}`, f, FACES[0], 3]),
      ...(await on.stops()).flatMap((t) => [t.around, ...FACES].map((f) => [t.id, t.ring.colour, f, 3]))])
      .map(([what, a, b]) => `${what}: ${a} on ${b}`);
  }, (view) => (view.forced ? undefined : [])],  // forced: the system's own colours
  ['1.4.12: no caption cut with the text spaced out', async ({ d }) => {
    await spaceText(d, true);
    const cut = await d.evaluate(() => [...document.querySelectorAll('.fit')].filter((c) => c.getClientRects().length)
      .flatMap((c) => [c, c.closest('.face')]).filter((c) => c.scrollWidth > c.clientWidth ||
        c.scrollHeight > c.clientHeight).map((c) => c.id || c.textContent));
    await spaceText(d, false);
    return cut;
  }, () => []],
  ['2.5.8: every target 24 x 24 px, or its label', ({ d }) => d.evaluate((ids) => ids.filter((i) => {
    const el = document.getElementById(i);
    const big = (t) => t.getBoundingClientRect().width >= 24 && t.getBoundingClientRect().height >= 24;
    return ![el, ...el.labels || []].some(big);
  }), design.focusOrder.map(idOf)), () => []],
  ['1.4.11: the scale\'s lines and marks 3:1 on what they stand on, its labels 4.5:1', async ({ d }) => {
    await report(d, { method: 1, boxes: ['170', '72', ''] });  // both marks
    const { inks, grounds, labels } = await d.evaluate((id) => {
      const s = document.getElementById(id);
      const paint = (selector, property) => [...s.querySelectorAll(selector)].map((e) => getComputedStyle(e)[property]);
      return { inks: [...paint('.edge, .stem, .beyond', 'stroke'), ...paint('.head', 'fill'), ...paint('.hollow', 'stroke')],
        grounds: [...paint('.band', 'fill'), getComputedStyle(s).backgroundColor], labels: paint('text', 'fill') };
    }, SCALE.id);
    return tooClose([...inks.flatMap((ink) => grounds.map((g) => ['', ink, g, 3])),
      ...labels.map((l) => ['', l, grounds.at(-1), 4.5])]).map(([, a, b]) => `${a} on ${b}`);
  }, () => []],
  ['the boxes in the scheme\'s colours, the faces in the design\'s', async ({ d }) => {
    const paints = await d.evaluate((all) => all.map(([id]) => getComputedStyle(document.getElementById(id)))
      .map((cs) => [cs.backgroundColor, cs.color]), design.controls.map((c) => [c.faceId]));
    const measured = contrasts(paints);
    return design.controls.map((c, i) => (c.colour ? paints[i][0] === rgb(c.colour) : [measured[i][0] < 0.2,
      measured[i][2] >= 4.5])).filter((got) => got !== true);
  }, (view) => (view.forced || view.media ? undefined : BOXES.concat('Text1(0)').map(() => [!!view.dark, true]))],
  ['on one sheet, with a report, the scale and the range line', async ({ d }) => {
    await report(d, { method: 1, boxes: ['170', '72', ''] });
    const printed = Buffer.from(await d.page.pdf()).toString('latin1');
    return [printed.match(/\/Type\s*\/Page\b/g).length, await outOfWidth(d, [idOf('Text1(0)'), SCALE.id,
      idOf(design.rangeNote)]), (await strip(d)).rangeNote !== null];
  }, (view) => (view.media === 'print' ? [1, [], true] : undefined)],
  ['2.4.7: a ring on every stop Tab reaches, no side of it hidden', async (on) => (await on.stops())
    .filter(({ ring }) => ring.style === 'none' || ring.width < 2 || !ring.opaque || ring.cut).map((t) => t.id),
  (view) => (view.forced ? undefined : [])],
];
// Each view, and how a report is made there; a report by tap proves it on the phone.
const phone = { isMobile: true, hasTouch: true };
// The window's own width, where the system forces its few colours, in a dark
// scheme and on paper too.
const own = { width: design.client.widthPx, height: design.client.heightPx };
const VIEWS = [
  ['400 % zoom of a 1280 px screen', { width: 320, height: 256, deviceScaleFactor: 4 }, 'click'],
  ['phone 360 x 640', { width: 360, height: 640, deviceScaleFactor: 3, ...phone }, 'tap'],
  ['phone on its side 568 x 320', { width: 568, height: 320, deviceScaleFactor: 2, ...phone }, 'click'],
  ['the window at its own width', own, null],
  ['forced colours', own, null, { features: [{ name: 'forced-colors', value: 'active' }], forced: true }],
  ['a dark scheme', own, null, { features: [{ name: 'prefers-color-scheme', value: 'dark' }], dark: true }],
  ['printed', own, null, { media: 'print' }],
];
groups.reflow = () => {
  for (const [name, viewport, how, media] of VIEWS) {
    onChromium(name, { viewport, media }, (on) => {
      const view = { ...viewport, how, ...media };
      let stops = null;
      on.stops = () => stops || (stops = tabStops(on.d));
      // Every control shown, the range line too.
      before(() => report(on.d, { method: 3, boxes: ['170', '72', '90'] }));
      for (const [row, got, want] of REFLOW) {
        if (want(view) !== undefined) test(row, async () => assert.deepEqual(await got(on, view), want(view), row));
      }
    });
  }
  // The window zoomed in after it fitted captions smaller (here spaced out).
  onChromium('zoomed in after loading', { viewport: VIEWS[3][1] }, (on) => {
    test('captions back at the design\'s size', async () => {
      await spaceText(on.d, true);
      assert.ok((await captionSizes(on.d)).length > 1, 'no caption fitted smaller in the window');
      await on.d.page.setViewport(VIEWS[0][1]);
      await spaceText(on.d, true);
      assert.deepEqual(await captionSizes(on.d), [CAPTION_SIZE], 'caption sizes');
    });
  });
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
    assert.ok(kept.includes('index.html') && at > 6 && html[at] < 0x80, 'no page kept, or its title not ASCII');
    html[at] = char.charCodeAt(0);
    fs.writeFileSync(path.join(site, 'index.html'), html);
  };
  fs.writeFileSync(path.join(dir, 'none'), '');
  return ['#', '%'].map((char) => {
    const site = path.join(dir, char === '#' ? 'renewed' : 'altered');
    fs.cpSync(args.site, site, { recursive: true });
    retitle(site, char);
    const run = spawnSync(process.execPath, [args.generate, 'worker', path.join(__dirname, '../../web'), site,
      path.join(dir, 'none'), ...kept], { encoding: 'utf8' });
    assert.equal(run.status, 0, `stamping ${site}/sw.js: ${run.stderr}`);
    if (char === '%') retitle(site, '&');
    return site;
  });
}
const cacheOf = (site) => /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'))[1];
const workerReady = (d) => within(d.evaluate(() => navigator.serviceWorker.ready.then(() => true)), 15000,
  'the service worker ready');
// The next worker of the page's registration, once it has settled.
const update = (d) => within(d.evaluate(async () => {
  const registration = await navigator.serviceWorker.ready;
  const found = new Promise((resolve) => registration.addEventListener('updatefound',
    () => resolve(registration.installing)));
  await registration.update();
  const worker = await found;
  await new Promise((resolve) => {
    const settled = () => ['activated', 'redundant'].includes(worker.state) && resolve();
    worker.addEventListener('statechange', settled);
    settled();
  });
  return [worker.state, await caches.keys()];
}), 15000, 'the new service worker settled');
// The manifest's icons as the page loads them, each "src WxH".
const iconsLoaded = (d, icons) => d.evaluate((all) => Promise.all(all.map((icon) => new Promise((resolve) => {
  const img = Object.assign(new Image(), { src: icon.src });
  img.onload = () => resolve(`${icon.src} ${img.naturalWidth}x${img.naturalHeight}`);
  img.onerror = () => resolve(`${icon.src} does not load`);
}))), icons);
groups.worker = () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-builds-'));
  const builds = {};
  before(() => { [builds.renewed, builds.altered] = otherBuilds(dir); });
  after(() => fs.rmSync(dir, { recursive: true, force: true }));
  for (const [name, build, becomes, title] of [
    ['one visit', null, null, design.caption],
    ['a new build replaces the kept files', 'renewed', 'activated', `#${design.caption.slice(1)}`],
    ['a file not of its build is refused', 'altered', 'redundant', design.caption],
  ]) {
    onChromium(name, {}, (on) => {
      after(() => Object.assign(server, { offline: false, dir: args.site }));
      test('a service worker controls the page', async () => {
        await workerReady(on.d);
        await until(() => on.d.evaluate(() => navigator.serviceWorker.controller !== null), 10000, 'a controller');
      });
      if (!build) {
        test('the manifest: the page\'s language, standalone, icons of their sizes', async () => {
          const href = await on.d.evaluate(() => document.querySelector('link[rel="manifest"]').href);
          const manifest = await (await fetch(href)).json();
          assert.equal(manifest.lang, design.language, 'language');
          assert.equal(manifest.display, 'standalone', 'display');
          assert.ok(manifest.icons.length > 0, 'no icons');
          assert.deepEqual(await iconsLoaded(on.d, manifest.icons), manifest.icons.map((i) => `${i.src} ${i.sizes}`),
            'icons');
        });
      } else {
        test(`the new service worker ${becomes}`, async () => {
          server.dir = builds[build];
          const [state, keys] = await update(on.d);
          assert.equal(state, becomes, 'the new worker');
          assert.deepEqual(keys, [cacheOf(becomes === 'activated' ? builds[build] : args.site)], 'the caches');
        });
      }
      // One visit's reload is the shared table's, in each engine.
      for (const [where, reach] of [
        ...build ? [['reloads', () => on.d.reload().then(() => on.d)]] : [],
        ['opens in a new tab', () => chromium.open(server.url, { context: on.d.context })],
      ]) {
        test(`${where} and calculates with the network gone`, async () => {
          server.offline = true;
          const d = await reach();
          assert.equal(await d.evaluate(() => document.title), title, 'the title of the build kept');
          await checkReport(d, { method: 0, boxes: ['170', '72', ''] });
          assert.deepEqual(await d.problems(), [], 'script errors, CSP violations');
          if (d !== on.d) await d.close();
        });
      }
    });
  }
};

// The CSP, and that the page sends nothing anywhere and keeps nothing. Every
// request of the browser's, the service worker's among them, is seen by
// DevTools at the browser's level.
groups.privacy = () => {
  const requested = [];
  let cdp;
  before(async () => {
    server.clear();
    cdp = await chromium.browser.target().createCDPSession();
    cdp.on('Fetch.requestPaused', ({ requestId, request }) => {
      requested.push(request.url);
      cdp.send('Fetch.continueRequest', { requestId }).catch(() => {});
    });
    await cdp.send('Fetch.enable', { patterns: [{ urlPattern: '*' }] });
  });
  after(() => cdp && cdp.detach());
  onChromium('privacy', {}, (on) => {
    before(async () => {  // a visit that touches everything
      await report(on.d, { method: 3, boxes: ['170', '72', '90'], how: 'box 1' });
      assert.ok((await report(on.d, { method: 0, boxes: ['170', '9e9', ''] })).warnings.length, 'no warning');
      await on.d.click(q('Command1(1)'));
      await workerReady(on.d);
    });
    test('the page declares the policy it is served with', async () => assert.equal(
      await on.d.evaluate(() => document.querySelector('meta[http-equiv="Content-Security-Policy"]').content),
      on.d.response.headers()['content-security-policy'] || '(no header)', 'the page\'s own policy'));
    test('no cookie, no storage', async () => {
      assert.deepEqual(await on.d.context.cookies(), [], 'cookies');
      assert.deepEqual(await on.d.evaluate(async () => [document.cookie, localStorage.length, sessionStorage.length,
        (await indexedDB.databases()).length]), ['', 0, 0, 0], 'document.cookie, local, session, databases');
    });
    test('no request but for the site\'s files', () => {
      assert.deepEqual(requested.filter((u) => !u.startsWith(`${server.origin}/`)), [], 'requests elsewhere');
      assert.deepEqual(server.errors, [], 'errors on the server');
      assert.deepEqual(server.requests.filter((r) => ![200, 304].includes(r.status) || r.method !== 'GET')
        .map((r) => `${r.method} ${r.path} ${r.status}`), [], 'requests not a GET of a file');
    });
  });
};

const chosen = args.words.length ? args.words : Object.keys(groups);
if (chosen.some((g) => !groups[g])) {
  console.error(`the groups: ${Object.keys(groups).join(' ')}`);
  process.exit(2);
}
for (const g of chosen) describe(g, groups[g]);
