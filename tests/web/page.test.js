// SPDX-License-Identifier: GPL-3.0-or-later
// The page in each browser engine named (chromium, firefox, webkit; all when
// none is), one table of cases for all, against the design and the native
// build's reports:
//   node page.test.js --site DIR --design design.json --report-dump PATH [ENGINE...]
// One browser an engine (WebKitGTK: one a language), one page a language.
'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const { after, before, describe, test } = require('node:test');
const { args, design, control, idOf, q, optionLabel, BOXES, OPTIONS, PAGE, native, until, values, value, isShown, focused,
  paste, closeWarnings, report, announced, scaleShown, SCALE_AT_START, checkReport, onPage, layoutTests } = require('./harness');
const { serve } = require('../../web/serve');
const { ENGINES, start, setTripwire, CACHES } = require('./drivers');

const engines = args.words.length ? args.words : Object.keys(ENGINES);
if (engines.some((e) => !ENGINES[e])) {
  console.error(`engines: ${Object.keys(ENGINES).join(', ')}`);
  process.exit(2);
}
// How far a control may sit from its design place, in CSS pixels.
const TOLERANCE = { chromium: 1, firefox: 1.5, webkit: 1.5 };

// Each method, each way of calculating and the handlers' edge cases, in order
// on one page, each against the native report of what the boxes hold; one
// row in an English browser, whose numbers take a full stop.
const REPORTS = {
  'bg-BG': [
    ['Calculate before any choice: body mass index', null, ['170', '72', '']],
    ['body mass index', 0, ['170', '72', '']],
    ['Broca', 1, ['170', '72', '']],
    ['Breitman, Enter on Calculate', 2, ['171', '72', ''], 'Enter'],
    ['Borngard, Space on Calculate', 3, ['170', '72', '90'], 'Space'],
    ['Borngard, Enter in the chest-girth box', 3, ['180', '95', '101'], 'box 2'],
    ['Broca, Enter in the height box', 1, ['160', '50', ''], 'box 0'],
    ['body mass index, comma and a half, Enter in the weight box', 0, ['1,7', '72.5', ''], 'box 1'],
    ['Breitman, overflow', 2, ['170', '9e9', '']],
    // The scale's marks: at a band's edge, at the index's rounding edges,
    // past either end.
    ['mark at a band\'s edge', 0, ['100', '25', '']],
    ['mark at 18.49925, rounded to 18.5', 0, ['186', '64', '']],
    ['mark at 24.99745, rounded to 25', 0, ['198', '98', '']],
    ['mark past the left end', 0, ['100', '5', '']],
    ['mark past the right end', 0, ['', '72', '']],
    // By age and sex: the boxes then years, months and the sex's index.
    // No sex is checked before the first row; Clear lets the last go.
    ['a child of no sex', 0, ['150', '38', '', '12', '', '']],
    ['a boy of 12: a child\'s bands and scope line', 0, ['150', '38', '', '12', '', '0']],
    ['under 2 years', 0, ['85', '12', '', '1', '6', '1']],
    ['months of 12', 0, ['140', '35', '', '10', '12', '1']],
    ['a girl of 3 by Broca: the six bands of the younger children', 1, ['100', '16', '', '3', '', '1']],
    ['an adult of 25 by Broca: the desired weight for the age', 1, ['180', '70', '', '25', '', '']],
    ['Clear'],
    ['Calculate after Clear: the method chosen last', null, ['200', '90', '']],
  ],
  'en-US': [['Borngard', 3, ['170', '72.', '90']]],
};
function reportTests(on, engine, language) {
  let last = 0;  // the method chosen last
  before(() => on.d.reload());
  for (const [name, method, boxes, how] of REPORTS[language]) {
    test(name, async () => {
      if (!boxes) {
        await on.d.click(q('Command1(1)'));
        assert.deepEqual(await values(on.d, ['Text1(0)', ...BOXES, ...OPTIONS]),
          [design.texts.cleared, ...BOXES.map(() => ''), ...OPTIONS.map(() => false)], 'output, boxes, age, options, sex');
        assert.deepEqual(await scaleShown(on.d), SCALE_AT_START, 'the scale');
        assert.equal(await announced(on.d), design.texts.cleared, 'announced');
        return;
      }
      last = method === null ? last : method;
      await checkReport(on.d, { method, boxes, how }, last, language);
    });
  }
}

// The Tab chain, at most so many characters pasted, Space and the arrow
// keys on the options with the chest-girth row, Space on Clear.
function keyboardTests(on) {
  const order = design.focusOrder.map(idOf);
  const tabChain = async (count) => {
    const chain = [await focused(on.d)];
    while (chain.length < count) chain.push(await on.d.press(null, 'Tab').then(() => focused(on.d)));
    return chain;
  };
  before(() => on.d.reload());
  test('focus at start, then Tab, the hidden box passed over', async () => {
    const stops = order.filter((id) => !design.controls.find((c) => c.id === id).hiddenAtStart);
    assert.deepEqual(await tabChain(stops.length), stops, 'Tab chain');
  });
  test('Tab once the chest-girth box shows', async () => {
    await on.d.click(optionLabel(3));
    await on.d.click(q('Command1(1)'));  // Borngard, then Clear: every stop shows, none checked
    await on.d.evaluate((id) => document.getElementById(id).focus(), order[0]);
    assert.deepEqual(await tabChain(order.length), order, 'Tab chain');
  });
  for (const box of BOXES) {
    const most = control[box].maxLength;
    test(`${box} takes ${most} characters of a paste`, async () => {
      await paste(on.d, box, '98765');
      assert.equal(await value(on.d, box), '98765'.slice(0, most), 'after pasting 98765');
    });
  }
  // As in the window: Space on an option, or an arrow key within its group,
  // chooses it, and the other group's choice stays; an arrow key towards
  // the other group only does nothing. The chest girth's row shows with
  // Borngard alone, its text kept while it is hidden.
  describe('options', () => {
    const chosen = {};
    before(() => on.d.fill(q('Text2(2)'), '88'));
    for (const [key, from, to] of [['Space', 'Option1(0)', 'Option1(0)'], ['Space', 'Option1(1)', 'Option1(1)'],
      ['Space', 'Option1(2)', 'Option1(2)'], ['ArrowDown', 'Option1(2)', 'Option1(3)'],
      ['ArrowUp', 'Option1(3)', 'Option1(2)'], ['Space', 'Option1(3)', 'Option1(3)'],
      ['ArrowDown', 'Option1(3)', 'Option1(3)'], ['Space', 'Option2(1)', 'Option2(1)'],
      ['ArrowLeft', 'Option2(1)', 'Option2(0)'], ['ArrowRight', 'Option2(0)', 'Option2(1)'],
      ['ArrowUp', 'Option2(1)', 'Option2(1)']]) {
      test(`${key} on ${from}`, async () => {
        await on.d.press(q(from), key);
        if (key === 'Space' || from !== to) chosen[control[to].group] = to;
        assert.equal(await focused(on.d), idOf(to), 'focus');
        assert.deepEqual(await values(on.d, OPTIONS), OPTIONS.map((o) => chosen[control[o].group] === o), 'checked');
        const borngard = chosen[design.methodOptions] === 'Option1(3)';
        for (const name of ['Label2(2)', 'Text2(2)']) {
          assert.equal(await isShown(on.d, name), borngard, `${name} shown`);
        }
        if (borngard) assert.equal(await value(on.d, 'Text2(2)'), '88', 'the chest girth kept');
      });
    }
  });
  test('Space on Clear', async () => {
    await on.d.press(q('Command1(1)'), 'Space');
    assert.equal(await value(on.d, 'Text1(0)'), design.texts.cleared, 'output');
  });
}

// The overflow warning: modal, reached and closed by keyboard or mouse, the
// focus back where it was, the page working afterwards.
function dialogTests(on) {
  const state = () => on.d.evaluate((ids) => {
    const w = document.getElementById(ids.warning);
    return { open: w.open, modal: w.matches(':modal'), focusInside: w.contains(document.activeElement),
      message: document.getElementById(ids.message).textContent };
  }, PAGE);
  for (const [how, close, back] of [['box 1', 'Escape', 'Text2(1)'], ['Enter', 'Enter', 'Command1(0)'],
    ['box 1', 'click', 'Text2(1)']]) {
    test(`${how} to calculate, closed by ${close}`, async () => {
      await on.d.reload();
      await report(on.d, { method: 0, boxes: ['170', '9e9', ''], how, close: null });
      const want = native(0, ['170', '9e9', '']);
      const open = { open: true, modal: true, focusInside: true, message: want.warnings[0] };
      assert.deepEqual(await state(), open, 'the warning');
      await on.d.press(null, 'Tab');
      assert.deepEqual(await state(), open, 'the warning after Tab');
      assert.deepEqual(await closeWarnings(on.d, close), want.warnings, 'messages');
      assert.equal(await focused(on.d), idOf(back), 'focus after closing');
      assert.equal(await value(on.d, 'Text1(0)'), want.output, 'output');
      await checkReport(on.d, { boxes: ['170', '72', ''] }, 0);
    });
  }
}

// After one visit the page reloads and calculates with the network gone.
function offlineTests(on) {
  test('reloads and calculates with the network gone', async () => {
    await until(() => on.d.evaluate(() => navigator.serviceWorker.controller !== null), 15000, 'a service worker');
    server.offline = true;
    try {
      await on.d.reload();
      await checkReport(on.d, { method: 0, boxes: ['170', '72', ''] });
    } finally {
      server.offline = false;
    }
  });
}

// That the check for problems can fail: an image from elsewhere, which the
// page's policy blocks, and an error no one catches.
async function heard(d) {
  await d.evaluate(() => {
    document.body.append(Object.assign(document.createElement('img'), { src: 'http://192.0.2.1/blocked.png' }));
    setTimeout(() => { throw new Error('thrown for the test'); });
  });
  const p = [];
  await until(async () => {
    p.push(...await d.problems());
    return p.some((m) => /^CSP: .*192\.0\.2\.1/.test(m)) && p.some((m) => /thrown for the test/.test(m));
  }, 5000, 'a CSP violation and an uncaught error recorded');
}

// --- the run -------------------------------------------------------------------

let server;
before(async () => { server = await serve(args.site); });
after(() => server.close());

// The harness's own safeguards, once a run: nothing fetches a driver or a browser.
const existed = CACHES.filter((c) => fs.existsSync(c));
test('Selenium Manager, were it asked for a driver, fails loudly', () => {
  const tripwire = setTripwire();
  assert.throws(() => require('selenium-webdriver/common/seleniumManager').binaryPaths(['--browser', 'chrome']),
    /Selenium Manager ran/);
  assert.ok(fs.existsSync(`${tripwire}.ran`), 'the tripwire left no mark');
  fs.rmSync(`${tripwire}.ran`);
});

// The groups in each language, in order on one page.
const LANGUAGES = {
  'bg-BG': {
    layout: (on, engine) => layoutTests(on, TOLERANCE[engine]),
    reports: reportTests,
    keyboard: keyboardTests,
    dialog: dialogTests,
    offline: offlineTests,
  },
  'en-US': { reports: reportTests },
};
for (const engine of engines) {
  describe(engine, () => {
    let browser = null;
    after(() => browser && browser.close());
    for (const [language, groups] of Object.entries(LANGUAGES)) {
      onPage(language, async () => {
        if (browser && !browser.anyLanguage) await browser.close().finally(() => { browser = null; });
        if (!browser) browser = await start(engine, { language });
        console.log(`${engine} ${browser.version}, ${language}`);
        return browser.open(server.url, { language });
      }, (on) => {
        for (const [name, cases] of Object.entries(groups)) describe(name, () => cases(on, engine, language));
      }, (on) => language === 'bg-BG' && test('script errors and CSP violations are heard', () => heard(on.d)));
    }
  });
}

test('no driver or browser downloaded', () => {
  assert.equal(fs.existsSync(`${setTripwire()}.ran`), false, 'Selenium Manager ran');
  assert.deepEqual(CACHES.filter((c) => fs.existsSync(c) && !existed.includes(c)), [], 'download caches appeared');
});
