// SPDX-License-Identifier: GPL-3.0-or-later
// The browser side of the page tests and the page benchmark: Debian's
// Chromium, headless, driven by Playwright, and the few calls that are
// Chromium's own (DevTools). No browser is ever downloaded. The site is
// served by web/serve.js.
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

// As root Chromium needs --no-sandbox; the rest keeps it from reaching out on
// its own (updates, sync, field trials), so that every request seen is the
// page's. Also the benchmark's Lighthouse and tools/orca --web start it so.
const QUIET_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--disable-default-apps', '--disable-domain-reliability', '--no-pings',
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1'];

// Debian's Chromium, headless.
// `env`: more environment for the browser (e.g. FONTCONFIG_FILE).
async function launch(env = {}) {
  if (!fs.existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: apt-get install chromium`);
  return chromium.launch({
    executablePath: CHROMIUM,
    env: { ...process.env, ...env },
    headless: true,
    args: ['--headless', ...QUIET_FLAGS],
  });
}

// A page of a context of its own at `url`, loaded and ready (the page marks
// <html data-ready="1">). `problems` collects console errors, uncaught errors
// and CSP violations; `requested` every URL the page or its worker asked for.
async function openPage(browser, url, options = {}) {
  const context = await browser.newContext({ locale: 'bg-BG', viewport: { width: 1024, height: 768 }, ...options });
  context.setDefaultTimeout(5000);
  const page = await context.newPage();
  const problems = [];
  const requested = [];
  context.on('request', (r) => requested.push(r.url()));
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()} (${m.location().url})`));
  page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
  await context.exposeBinding('__cspViolation', (_, v) => problems.push(`CSP: ${v}`));
  await context.addInitScript(() => document.addEventListener('securitypolicyviolation', (e) =>
    window.__cspViolation(`${e.violatedDirective} blocked ${e.blockedURI} at ${e.sourceFile}:${e.lineNumber}`)));
  const response = await page.goto(url);
  await waitReady(page);
  return { page, context, response, problems, requested };
}
const waitReady = (page) =>
  page.waitForFunction(() => document.documentElement.dataset.ready === '1', null, { timeout: 15000 });

// Chromium's own view through DevTools: the fonts a node is drawn in, and its
// accessibility node ({own, nodes}: with its relatives, ancestors among them).
async function devtools({ page, context }) {
  const cdp = await context.newCDPSession(page);
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

module.exports = { CHROMIUM, QUIET_FLAGS, serve, launch, openPage, waitReady, devtools };
