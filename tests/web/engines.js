// SPDX-License-Identifier: GPL-3.0-or-later
// The three browser engines from Debian's packages, each behind the page
// driver of harness.js: Chromium and Firefox through puppeteer-core (DevTools,
// WebDriver BiDi), WebKitGTK's MiniBrowser through its WebKitWebDriver with
// selenium-webdriver as a bare client. Nothing here downloads a browser or a
// driver: each is given by its path, and a missing one is an error naming
// its package.
'use strict';

const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');
const { until, waitReady, within } = require('./harness');
const { CHROMIUM, CHROMIUM_FLAGS } = require('./browser');

// Selenium Manager would fetch a driver; it must never run. Set before
// selenium-webdriver is loaded: the path it would run is a tripwire that
// fails loudly and leaves a mark.
const TRIPWIRE = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-no-manager-')), 'selenium-manager');
fs.writeFileSync(TRIPWIRE, '#!/bin/sh\necho "Selenium Manager ran ($*): nothing may download a driver" >&2\n' +
  'touch "$0.ran"\nexit 70\n', { mode: 0o755 });
process.env.SE_MANAGER_PATH = TRIPWIRE;
// The download caches the two clients would fill.
const CACHES = [path.join(os.homedir(), '.cache/selenium'), process.env.PUPPETEER_CACHE_DIR ||
  path.join(os.homedir(), '.cache/puppeteer')];

const need = (file, pkg) => {
  if (!fs.existsSync(file)) throw new Error(`${file} is missing: apt-get install ${pkg}`);
  return file;
};
const load = (name) => {
  try {
    return require(name);
  } catch (e) {
    throw new Error(`${name} is not installed: run \`npm ci --ignore-scripts\` in ${__dirname}`);
  }
};
const posix = (language) => `${language.replace('-', '_')}.UTF-8`;

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

const FIREFOX_PREFS = (language) => ({
  'intl.accept_languages': language,
  'intl.locale.requested': language,
  // Without a language pack the two above leave JavaScript's own locale
  // (Intl, the page's decimal separator) in English; the system's (LANG) it takes.
  'intl.regional_prefs.use_os_locales': true,
  // Nothing of its own over the network.
  'network.captive-portal-service.enabled': false,
  'network.connectivity-service.enabled': false,
  'app.update.enabled': false,
});

async function puppeteerEngine(name, language) {
  const puppeteer = load('puppeteer-core');
  const env = { ...process.env, LANG: posix(language), LANGUAGE: language.replace('-', '_') };
  const browser = name === 'chromium'
    ? await puppeteer.launch({ browser: 'chrome', executablePath: need(CHROMIUM, 'chromium'),
      headless: true, env, args: [...CHROMIUM_FLAGS, `--lang=${language}`], defaultViewport: { width: 1024, height: 768 } })
    : await puppeteer.launch({ browser: 'firefox', executablePath: need(process.env.TEGLOMER_FIREFOX || '/usr/bin/firefox-esr', 'firefox-esr'),
      headless: true, env, extraPrefsFirefox: FIREFOX_PREFS(language), defaultViewport: { width: 1024, height: 768 } });
  return {
    version: await browser.version(),
    // A page in another language than the browser's: by DevTools in
    // Chromium, by WebDriver BiDi's locale override in Firefox (rather than
    // a second browser, with LANG and the prefs of that language).
    anyLanguage: true,
    async open(url, pageLanguage = language) {
      const context = await browser.createBrowserContext();
      if (name === 'firefox' && pageLanguage !== language) {
        await browser.connection.send('emulation.setLocaleOverride', { locale: pageLanguage, userContexts: [context.id] });
      }
      const page = await context.newPage();
      page.setDefaultTimeout(5000);
      const problems = [];
      page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
      page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
      await page.evaluateOnNewDocument(recorder);
      // Headless Chromium's JavaScript takes its locale from DevTools alone.
      if (name === 'chromium') await (await page.createCDPSession()).send('Emulation.setLocaleOverride', { locale: pageLanguage });
      const d = {
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        click: (selector) => page.click(selector),
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
        async problems() {
          return [...problems.splice(0, problems.length), ...await page.evaluate(recorded)];
        },
      };
      await page.goto(url);
      await waitReady(d);
      return d;
    },
    close: () => browser.close(),
  };
}

// --- selenium-webdriver: WebKitGTK -------------------------------------------

const freePort = () => new Promise((resolve, reject) => {
  const s = net.createServer().once('error', reject).listen(0, '127.0.0.1', () => {
    const { port } = s.address();
    s.close(() => resolve(port));
  });
});
// A process of our own that must not die before close(); its death is an error.
function child(file, argv, options, what) {
  const p = spawn(file, argv, { stdio: ['ignore', 'ignore', 'pipe'], ...options });
  let err = '';
  p.stderr.on('data', (b) => { err = (err + b).slice(-2000); });
  p.exited = new Promise((resolve) => p.on('exit', (code, signal) => resolve(`${what} ended (${code ?? signal}): ${err}`)));
  return p;
}

async function webkitEngine(language) {
  // The browser the driver runs: WebKitGTK's own, in its library's folder.
  const minibrowser = fs.readdirSync('/usr/lib').map((d) => path.join('/usr/lib', d, 'webkit2gtk-4.1/MiniBrowser'))
    .find((f) => fs.existsSync(f)) || need('/usr/lib/ARCH/webkit2gtk-4.1/MiniBrowser', 'libwebkit2gtk-4.1-0');
  const driverPath = need(process.env.TEGLOMER_WEBKITWEBDRIVER || '/usr/bin/WebKitWebDriver', 'webkit2gtk-driver');
  need('/usr/bin/Xvfb', 'xvfb');
  const { WebDriver, Capabilities, By, Key } = load('selenium-webdriver');
  const { Executor, HttpClient } = load('selenium-webdriver/http');
  // A display of its own: Xvfb picks a free one and writes its number to fd 3.
  const xvfb = child('/usr/bin/Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] }, 'Xvfb');
  const display = await within(Promise.race([xvfb.exited.then((m) => { throw new Error(m); }),
    new Promise((resolve) => { let s = ''; xvfb.stdio[3].on('data', (b) => { s += b; if (s.includes('\n')) resolve(s.trim()); }); })]),
  10000, 'Xvfb giving its display').catch((e) => { xvfb.kill(); throw e; });
  const port = await freePort();
  const env = { ...process.env, DISPLAY: `:${display}`, LANG: posix(language), LANGUAGE: language.replace('-', '_') };
  const wd = child(driverPath, [`--port=${port}`, '--host=127.0.0.1'], { env }, 'WebKitWebDriver');
  const stop = () => { wd.kill(); xvfb.kill(); };
  let driver;
  try {
    const url = `http://127.0.0.1:${port}`;
    const http = require('http');
    await until(() => Promise.race([wd.exited.then((m) => { throw new Error(m); }), new Promise((resolve) =>
      http.get(`${url}/status`, (r) => { r.resume(); resolve(r.statusCode === 200); }).on('error', () => resolve(false)))]),
    10000, 'WebKitWebDriver listening');
    driver = await WebDriver.createSession(new Executor(new HttpClient(url)), new Capabilities({ browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: minibrowser, args: ['--automation'] } }));
  } catch (e) {
    stop();
    throw e;
  }
  const KEYS = { Tab: Key.TAB, Enter: Key.ENTER, Escape: Key.ESCAPE, Space: Key.SPACE, ArrowUp: Key.ARROW_UP,
    ArrowDown: Key.ARROW_DOWN, Backspace: Key.BACK_SPACE };
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
    async problems() {
      return [...problems.splice(0, problems.length), ...await d.evaluate(recorded)];
    },
  };
  return {
    version: (await driver.getCapabilities()).get('browserVersion'),
    anyLanguage: false,  // WebKitGTK's is its environment's (LANG, LANGUAGE)
    async open(url) {
      await arrive(() => driver.get(url));
      return d;
    },
    async close() {
      try {
        await driver.quit();
      } finally {
        stop();
      }
    },
  };
}

const ENGINES = { chromium: (l) => puppeteerEngine('chromium', l), firefox: (l) => puppeteerEngine('firefox', l), webkit: webkitEngine };

module.exports = { ENGINES, TRIPWIRE, CACHES };
