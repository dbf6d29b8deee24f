// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's browsers as the page tests, the page benchmark, Lighthouse and
// tools/orca start them: by their paths (none is ever downloaded; a missing
// one is an error naming its package), kept off the network, in a language.
// The npm clients are tests/web's locked packages (`npm ci` there).
'use strict';

const fs = require('fs');
const path = require('path');

const CHROMIUM = process.env.TEGLOMER_CHROMIUM || '/usr/bin/chromium';
const FIREFOX = process.env.TEGLOMER_FIREFOX || '/usr/bin/firefox-esr';
// As root Chromium needs --no-sandbox; the rest keeps it from reaching out on
// its own (updates, sync, field trials), so that every request seen is the
// page's.
const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-default-apps',
  '--disable-domain-reliability', '--no-pings', '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1'];
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

// A file that must be there, or an error naming the Debian package with it.
function need(file, pkg) {
  if (!fs.existsSync(file)) throw new Error(`${file} is missing: apt-get install ${pkg}`);
  return file;
}
// One of tests/web's locked npm packages (e.g. 'selenium-webdriver/http').
function load(name) {
  const dir = path.join(__dirname, '../tests/web');
  let file;
  try {
    file = require.resolve(name, { paths: [dir] });
  } catch (e) {
    throw new Error(`${name} is not installed: run \`npm ci --ignore-scripts\` in ${dir}`);
  }
  return require(file);
}
// The environment that gives a browser a language (bg-BG) where it reads
// the system's.
const languageEnv = (language) => {
  const posix = language.replace('-', '_');
  return { LANG: `${posix}.UTF-8`, LANGUAGE: posix };
};

// Debian's Chromium or Firefox ESR, headless, through puppeteer-core (Firefox
// over WebDriver BiDi), in `language`; `env`: more environment (FONTCONFIG_FILE).
function launch(browser, { language = 'bg-BG', env = {} } = {}) {
  const common = { headless: true, env: { ...process.env, ...languageEnv(language), ...env },
    defaultViewport: { width: 1024, height: 768 } };
  const puppeteer = load('puppeteer-core');
  if (browser === 'chromium') {
    return puppeteer.launch({ ...common, browser: 'chrome', executablePath: need(CHROMIUM, 'chromium'),
      args: [...CHROMIUM_FLAGS, `--lang=${language}`] });
  }
  if (browser === 'firefox') {
    return puppeteer.launch({ ...common, browser: 'firefox', executablePath: need(FIREFOX, 'firefox-esr'),
      extraPrefsFirefox: FIREFOX_PREFS(language) });
  }
  throw new Error(`no browser ${browser} here: chromium or firefox`);
}

// Headless Chromium's JavaScript (Intl) takes its locale from DevTools alone.
async function setLocale(page, language) {
  await (await page.createCDPSession()).send('Emulation.setLocaleOverride', { locale: language });
}

module.exports = { CHROMIUM, CHROMIUM_FLAGS, need, load, languageEnv, launch, setLocale };
