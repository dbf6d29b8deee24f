// SPDX-License-Identifier: GPL-3.0-or-later
// What the page tests and the page benchmark share: the site's server
// (web/serve.js), and Debian's Chromium, headless, driven by Playwright. No
// browser is ever downloaded.
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require(path.join(__dirname, '../../web/serve'));
let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (e) {
  throw new Error(`playwright-core is not installed: run \`npm ci\` in ${__dirname}`);
}

const CHROMIUM = process.env.TEGLOMER_CHROMIUM || '/usr/bin/chromium';

// Debian's Chromium, headless. As root it needs --no-sandbox; the rest keeps
// it from reaching out on its own (updates, sync, field trials), so that
// every request seen is the page's.
// `env`: more environment for the browser (e.g. FONTCONFIG_FILE).
async function launch(env = {}) {
  if (!fs.existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: apt-get install chromium`);
  return chromium.launch({
    executablePath: CHROMIUM,
    env: { ...process.env, ...env },
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-default-apps', '--disable-domain-reliability', '--no-pings',
      '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1'],
  });
}

module.exports = { serve, launch };
