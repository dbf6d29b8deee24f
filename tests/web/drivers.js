// SPDX-License-Identifier: GPL-3.0-or-later
// The page driver the tests' steps use, over each engine family: Chromium and
// Firefox through puppeteer-core (DevTools, WebDriver BiDi), WebKitGTK's
// MiniBrowser through WebKitWebDriver with selenium-webdriver as a bare
// client, on an Xvfb display of its own. A driver d:
//   evaluate(fn, arg)  fn run in the page with one argument, its result
//   click(selector)    a click on the element
//   fill(selector, t)  the element's text replaced by t, as typed
//   press(selector, k) key k (Tab, Enter, Escape, Space, ArrowLeft...) on the
//                      element, or on the focused one when selector is null
//   reload()           the page again, ready
//   problems()         script errors and CSP violations since last asked
//   close()
// and in puppeteer's engines `page` and `context` (puppeteer's) and `response`
// (the page's).
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { need, load, languageEnv, launch, setLocale } = require('../../tools/browsers');
const { waitReady } = require('./harness');

// Selenium Manager would fetch a driver; it must never run. The path it
// would run is a tripwire that fails loudly and leaves a mark, set before
// selenium-webdriver is loaded.
let tripwire = null;
function setTripwire() {
  if (tripwire) return tripwire;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-no-manager-'));
  process.on('exit', () => fs.rmSync(dir, { recursive: true, force: true }));
  tripwire = path.join(dir, 'selenium-manager');
  fs.writeFileSync(tripwire, '#!/bin/sh\necho "Selenium Manager ran ($*): nothing may download a driver" >&2\n' +
    'touch "$0.ran"\nexit 70\n', { mode: 0o755 });
  process.env.SE_MANAGER_PATH = tripwire;
  return tripwire;
}
// The download caches the two clients would fill.
const CACHES = [path.join(os.homedir(), '.cache/selenium'),
  process.env.PUPPETEER_CACHE_DIR || path.join(os.homedir(), '.cache/puppeteer')];

// Errors and CSP violations as the page sees them, kept in the page; run
// before the page's own scripts where the driver can.
function recorder() {
  if (window.__teglomerProblems) return;
  const p = [];
  window.__teglomerProblems = p;
  document.addEventListener('securitypolicyviolation', (e) =>
    p.push(`CSP: ${e.violatedDirective} blocked ${e.blockedURI} at ${e.sourceFile}:${e.lineNumber}`));
  window.addEventListener('error', (e) => p.push(`uncaught: ${e.message} (${e.filename}:${e.lineno})`));
  window.addEventListener('unhandledrejection', (e) => p.push(`unhandled rejection: ${e.reason}`));
}
const recorded = () => {
  const p = window.__teglomerProblems || ['the problem recorder is missing'];
  return p.splice(0, p.length);
};

// --- puppeteer-core: Chromium, Firefox ---------------------------------------

async function puppeteerEngine(name, language, env) {
  const browser = await launch(name, { language, env });
  // A page of a context of its own, or of `context` (another tab's), in any
  // language: Chromium's by DevTools, Firefox's by WebDriver BiDi's locale
  // override.
  // `media`: Chromium's emulation of a media type and features (print,
  // forced colours, a dark scheme).
  async function open(url, { language: pageLanguage = language, viewport, media, context: shared } = {}) {
    const context = shared || await browser.createBrowserContext();
    if (name === 'firefox' && pageLanguage !== language && !shared) {
      await browser.connection.send('emulation.setLocaleOverride',
        { locale: pageLanguage, userContexts: [context.id] });
    }
    const page = await context.newPage();
    page.setDefaultTimeout(5000);
    if (viewport) await page.setViewport(viewport);
    if (media) await (await page.createCDPSession()).send('Emulation.setEmulatedMedia', media);
    const problems = [];
    page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
    page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
    await page.evaluateOnNewDocument(recorder);
    if (name === 'chromium') await setLocale(page, pageLanguage);
    const d = {
      page,
      context,
      evaluate: (fn, arg) => page.evaluate(fn, arg),
      click: (selector) => page.click(selector),
      tap: (selector) => page.tap(selector),
      async fill(selector, text) {
        await page.focus(selector);
        await page.evaluate(() => document.activeElement.select());
        await page.keyboard.press('Backspace');
        if (text) await page.keyboard.type(text);
      },
      async press(selector, key) {
        if (selector) await page.focus(selector);
        await page.keyboard.press(key === 'Space' ? ' ' : key);  // BiDi knows no key "Space"
      },
      async reload() {
        problems.push(...await page.evaluate(recorded));
        await page.reload();
        await waitReady(d);
      },
      problems: async () => [...problems.splice(0, problems.length), ...await page.evaluate(recorded)],
      close: () => (shared ? page.close() : context.close()),
    };
    d.response = await page.goto(url);
    await waitReady(d);
    return d;
  }
  return { version: await browser.version(), anyLanguage: true, browser, open, close: () => browser.close() };
}

// --- selenium-webdriver: WebKitGTK -------------------------------------------

// WebKitGTK takes its language from its environment: one browser a language.
async function webkitEngine(language) {
  // The browser the driver runs: WebKitGTK's own, in its library's folder.
  const minibrowser = fs.readdirSync('/usr/lib').map((d) => path.join('/usr/lib', d, 'webkit2gtk-4.1/MiniBrowser'))
    .find((f) => fs.existsSync(f)) || need('/usr/lib/ARCH/webkit2gtk-4.1/MiniBrowser', 'libwebkit2gtk-4.1-0');
  const driverPath = need(process.env.TEGLOMER_WEBKITWEBDRIVER || '/usr/bin/WebKitWebDriver', 'webkit2gtk-driver');
  need('/usr/bin/Xvfb', 'xvfb');
  setTripwire();
  const { WebDriver, Capabilities, By, Key } = load('selenium-webdriver');
  const { Executor, HttpClient } = load('selenium-webdriver/http');
  const { DriverService } = load('selenium-webdriver/remote');
  let service = null;
  const stop = () => Promise.resolve(service && service.kill());
  let driver;
  try {
    const port = await load('selenium-webdriver/net/portprober').findFreePort('127.0.0.1');
    // The driver on a display of its own, which goes when the driver does.
    service = new DriverService(path.join(__dirname, '../../tools/with_xvfb'), {
      port, hostname: '127.0.0.1', stdio: ['ignore', 'ignore', 'inherit'],
      args: ['--screen', '1280x1024x24', driverPath, `--port=${port}`, '--host=127.0.0.1'],
      env: { ...process.env, ...languageEnv(language) } });
    const url = await service.start(10000);
    driver = await WebDriver.createSession(new Executor(new HttpClient(url)), new Capabilities({
      browserName: 'MiniBrowser', 'webkitgtk:browserOptions': { binary: minibrowser, args: ['--automation'] } }));
  } catch (e) {
    await stop();
    throw e;
  }
  const KEYS = { Tab: Key.TAB, Enter: Key.ENTER, Escape: Key.ESCAPE, Space: Key.SPACE, ArrowUp: Key.ARROW_UP,
    ArrowDown: Key.ARROW_DOWN, ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT, Backspace: Key.BACK_SPACE };
  const el = (selector) => driver.findElement(By.css(selector));
  const problems = [];
  // Classic WebDriver runs nothing before the page's scripts: the recorder
  // starts as soon as the page has loaded.
  const arrive = async (go) => {
    await go();
    await driver.executeScript(`(${recorder})()`);
    await waitReady(d);
  };
  const d = {
    evaluate: (fn, arg) => driver.executeScript(`return (${fn}).apply(null, arguments)`, arg),
    click: async (selector) => (await el(selector)).click(),
    async fill(selector, text) {
      const e = await el(selector);
      await e.clear();
      if (text) await e.sendKeys(text);
    },
    async press(selector, key) {
      if (!KEYS[key]) throw new Error(`no key ${key}`);
      if (selector) await driver.executeScript('arguments[0].focus()', await el(selector));
      await driver.actions().sendKeys(KEYS[key]).perform();
    },
    async reload() {
      problems.push(...await d.evaluate(recorded));
      await arrive(() => driver.navigate().refresh());
    },
    problems: async () => [...problems.splice(0, problems.length), ...await d.evaluate(recorded)],
    close: async () => {},
  };
  return {
    version: (await driver.getCapabilities()).get('browserVersion'),
    anyLanguage: false,
    async open(url) {
      await arrive(() => driver.get(url));
      return d;
    },
    close: () => driver.quit().finally(stop),
  };
}

// start(engine, {language, env}) -> {version, anyLanguage, open(url, {language, viewport}), close()},
// anyLanguage when its pages may be in another language than the browser's.
const ENGINES = {
  chromium: ({ language, env }) => puppeteerEngine('chromium', language, env),
  firefox: ({ language, env }) => puppeteerEngine('firefox', language, env),
  webkit: ({ language }) => webkitEngine(language),
};
const start = (engine, { language = 'bg-BG', env = {} } = {}) => ENGINES[engine]({ language, env });

module.exports = { ENGINES, start, setTripwire, CACHES };
