// SPDX-License-Identifier: GPL-3.0-or-later
// The page in one browser engine (chromium, firefox or webkit), one table of
// cases for all three, against the design table and the native reports:
//   node engines_test.js --site DIR --design design.json --report-dump PATH ENGINE
// One browser (WebKitGTK: one per language), one page per language; the last
// line is "N passed, N failed".
'use strict';

const fs = require('fs');
const path = require('path');
const { args, design, idOf, q, optionLabel, BOXES, OPTIONS, CLEARED, PAGE, native, check, ok, same, until, values,
  output, isShown, focused, closeWarnings, report, layout, finish } = require('./harness');
const { serve } = require('../../web/serve');
const { ENGINES, TRIPWIRE, CACHES } = require('./engines');

const engine = args.words[0];
if (args.words.length !== 1 || !ENGINES[engine]) {
  console.error(`one engine: ${Object.keys(ENGINES).join(', ')}`);
  process.exit(2);
}
// Which engines keep the page for offline use: a change either way fails.
const SERVICE_WORKERS = { chromium: true, firefox: true, webkit: true };
// How far a control may sit from its design place, in CSS pixels.
const TOLERANCE = { chromium: 1, firefox: 1.5, webkit: 1.5 };
let server;

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
async function reports(d, locale) {
  await d.reload();
  let last = 0;  // the method chosen last
  for (const [name, method, boxes, how, language = 'bg-BG'] of REPORT_CASES) {
    if (language !== locale) continue;
    await check(`reports ${locale}: ${name}`, async () => {
      if (boxes) {
        const got = await report(d, { method, boxes, how });
        last = method === null ? last : method;
        return same(got, native(last, got.boxes, locale), 'report');
      }
      await d.click(q('Command1(1)'));
      same(await values(d, ['Text1(0)', ...BOXES, ...OPTIONS]), [CLEARED, ...BOXES.map(() => ''), ...OPTIONS.map(() => false)],
        'output, boxes and options after Clear');
    });
  }
}

// Focus order, at most 3 characters, Space and the arrow keys on the
// options, the chest-girth row, Space on Clear.
async function keyboard(d) {
  await d.reload();
  const order = design.focusOrder.map(idOf);
  const tabChain = async (count) => {
    const chain = [await focused(d)];
    while (chain.length < count) chain.push(await d.press(null, 'Tab').then(() => focused(d)));
    return chain;
  };
  await check('keyboard: the focus is in the output box at start, Tab follows the design, hidden box passed over', async () => {
    const stops = order.filter((id) => !design.controls.find((c) => c.id === id).hiddenAtStart);
    same(await tabChain(stops.length), stops, 'focus, then the Tab chain');
  });
  await d.click(optionLabel(3));
  await d.click(q('Command1(1)'));  // Borngard, then Clear: every stop shows, none checked
  await d.evaluate((id) => document.getElementById(id).focus(), order[0]);
  await check(`keyboard: Tab visits all ${order.length} stops once the chest-girth box shows`, async () =>
    same(await tabChain(order.length), order, 'Tab chain'));
  for (const box of BOXES) {
    await check(`keyboard: a character past ${design.inputMaxLength} cannot be typed into ${box}`, async () => {
      await d.fill(q(box), '12345');
      same((await values(d, [box]))[0], '12345'.slice(0, design.inputMaxLength), 'typed 12345');
    });
  }
  // Space on an option, or an arrow key within the group, as in the window;
  // the chest girth's text stays while hidden.
  await d.fill(q('Text2(2)'), '88');
  for (const [key, from, to] of [['Space', 0, 0], ['Space', 1, 1], ['Space', 2, 2], ['ArrowDown', 2, 3], ['ArrowUp', 3, 2], ['Space', 3, 3]]) {
    await check(`keyboard: ${key} on Option1(${from}) chooses Option1(${to}) and ${to === 3 ? 'shows' : 'hides'} the chest-girth row`, async () => {
      await d.press(q(`Option1(${from})`), key);
      same([await focused(d), (await values(d, OPTIONS))[to], await isShown(d, idOf('Label2(2)')), await isShown(d, idOf('Text2(2)'))],
        [idOf(`Option1(${to})`), true, to === 3, to === 3], 'focus, option checked, chest-girth caption and box shown');
      if (to === 3) same((await values(d, ['Text2(2)']))[0], '88', 'the chest girth kept');
    });
  }
  await check('keyboard: Space on Clear clears', async () => {
    await d.press(q('Command1(1)'), 'Space');
    same(await output(d), CLEARED, 'output');
  });
}

// The overflow warning: modal, reached and closed by keyboard (or the
// mouse), focus back where it was, the page working afterwards.
async function dialog(d) {
  for (const [close, how, back] of [['Escape', 'box 1', 'Text2(1)'], ['Enter', 'Enter', 'Command1(0)'], ['click', 'box 1', 'Text2(1)']]) {
    await check(`dialog: weight 9e9, ${how} to calculate, closed by ${close}`, async () => {
      await d.reload();
      await report(d, { method: 0, boxes: ['170', '9e9', ''], how, close: null });
      const want = native(0, ['170', '9e9', '']);
      const state = () => d.evaluate((ids) => {
        const w = document.getElementById(ids.warning);
        return [w.open, w.matches(':modal'), w.contains(document.activeElement), document.getElementById(ids.message).textContent];
      }, PAGE);
      same(await state(), [true, true, true, want.warnings[0]], 'open, modal, focus inside, message');
      await d.press(null, 'Tab');
      same(await state(), [true, true, true, want.warnings[0]], 'after Tab: open, modal, focus inside, message');
      same(await closeWarnings(d, close), want.warnings, 'messages');
      same([await focused(d), await output(d)], [idOf(back), want.output], 'focus after closing, output');
      same(await report(d, { boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'the next report');
    });
  }
}

// After one visit the page reloads and calculates with the network gone,
// where the engine runs service workers.
async function offline(d) {
  const workers = SERVICE_WORKERS[engine];
  await check(`offline: service workers ${workers ? 'run' : 'do not run'} here`, async () =>
    same(await d.evaluate(() => 'serviceWorker' in navigator && window.isSecureContext), workers, 'service workers'));
  if (!workers) return;
  await check('offline: after one visit the page reloads and calculates with the network gone', async () => {
    await until(() => d.evaluate(() => navigator.serviceWorker.controller !== null), 15000, 'a service worker controlling the page');
    server.offline = true;
    try {
      await d.reload();
      same(await report(d, { method: 0, boxes: ['170', '72', ''] }), native(0, ['170', '72', '']), 'report');
    } finally {
      server.offline = false;
    }
  });
}

// That the check for errors and CSP violations can fail: an image from
// elsewhere, which the page's policy blocks, and an error no one catches.
const heard = (d) => async () => {
  await d.evaluate(() => {
    document.body.append(Object.assign(document.createElement('img'), { src: 'http://192.0.2.1/blocked.png' }));
    setTimeout(() => { throw new Error('thrown for the test'); });
  });
  const p = [];
  await until(async () => {
    p.push(...await d.problems());
    return p.some((m) => /^CSP: .*192\.0\.2\.1/.test(m)) && p.some((m) => /thrown for the test/.test(m));
  }, 5000, 'a CSP violation and an uncaught error recorded');
};

// The groups in each language, in order on one page.
const LANGUAGES = {
  'bg-BG': { layout: (d) => layout(d, 'layout', TOLERANCE[engine]), reports, keyboard, dialog, offline },
  'en-US': { reports },
};

(async () => {
  const started = Date.now();
  const existed = CACHES.filter((c) => fs.existsSync(c));
  // The tripwire is what selenium-webdriver would run to fetch a driver.
  await check('Selenium Manager, were it asked for a driver, fails loudly', () => {
    let said = '';
    try {
      require('selenium-webdriver/common/seleniumManager').binaryPaths(['--browser', 'chrome']);
    } catch (e) {
      said = e.message;
    }
    ok(/Selenium Manager ran/.test(said) && fs.existsSync(`${TRIPWIRE}.ran`), `it did not: ${said}`);
    fs.rmSync(`${TRIPWIRE}.ran`);
  });
  server = await serve(args.site);
  try {
    let browser = null;
    try {
      for (const [language, groups] of Object.entries(LANGUAGES)) {
        if (!browser || !browser.anyLanguage) {
          if (browser) await browser.close();
          browser = null;
          browser = await ENGINES[engine](language);
          console.log(`${engine} ${browser.version} in ${language}`);
        }
        const d = await browser.open(server.url, language);
        for (const [name, group] of Object.entries(groups)) {
          const t = Date.now();
          await group(d, language).catch((e) => check(`${name}: stopped`, () => { throw new Error(e.stack || e); }));
          console.log(`${name} ${language}: ${((Date.now() - t) / 1000).toFixed(1)} s`);
        }
        await check(`${language}: no script errors and no CSP violations`, async () => same(await d.problems(), [], 'problems'));
        if (language === 'bg-BG') await check('the page\'s errors and CSP violations are heard', heard(d));
      }
    } finally {
      if (browser) await browser.close();
    }
  } catch (e) {
    await check(`${engine}: runs`, () => { throw e; });
  } finally {
    await server.close();
  }
  await check('no browser or driver downloaded: Selenium Manager never ran, no download cache appeared', () =>
    same([fs.existsSync(`${TRIPWIRE}.ran`), CACHES.filter((c) => fs.existsSync(c) && !existed.includes(c))], [false, []],
      'Selenium Manager ran, caches that appeared'));
  fs.rmSync(path.dirname(TRIPWIRE), { recursive: true, force: true });
  finish(started, `${args.site} at ${server.url}`);
})();
