// SPDX-License-Identifier: GPL-3.0-or-later
// Lighthouse's view of the built page: its four category scores and its
// metrics, on its throttled phone and on a desktop, served gzipped from
// 127.0.0.1 (as a host that compresses would) and loaded in Debian's
// Chromium, headless:
//   node lighthouse.js SITE_DIR
// Lighthouse comes from the page tests' lockfile (a development package);
// nothing is fetched from the network.
'use strict';

const path = require('path');
const { serve } = require(path.join(__dirname, '../web/serve'));
const { CHROMIUM, CHROMIUM_FLAGS } = require(path.join(__dirname, '../tests/web/browser'));

const modules = path.join(__dirname, '../tests/web/node_modules');
const load = (name) => import(path.join(modules, name)).catch(() => {
  throw new Error(`${name} is missing: run \`npm ci\` in ${path.dirname(modules)}`);
});
const METRICS = [
  ['first-contentful-paint', 'First Contentful Paint'],
  ['largest-contentful-paint', 'Largest Contentful Paint'],
  ['total-blocking-time', 'Total Blocking Time'],
  ['cumulative-layout-shift', 'Cumulative Layout Shift'],
  ['speed-index', 'Speed Index'],
];

async function main() {
  const site = process.argv[2];
  if (!site) {
    console.error('usage: node lighthouse.js SITE_DIR');
    process.exit(2);
  }
  const { default: lighthouse } = await load('lighthouse/core/index.js');
  const { default: desktop } = await load('lighthouse/core/config/desktop-config.js');
  const { launch } = await load('chrome-launcher/dist/index.js');
  const server = await serve(site, { gzip: true, record: false });
  // Lighthouse's headless flag, and the page tests' flags that keep Chromium
  // from reaching out on its own.
  const chrome = await launch({
    chromePath: CHROMIUM,
    chromeFlags: ['--headless=new', ...CHROMIUM_FLAGS],
  });
  try {
    for (const [form, config] of [['mobile', undefined], ['desktop', desktop]]) {
      const { lhr } = await lighthouse(server.url, { port: chrome.port, logLevel: 'error', output: 'json' }, config);
      if (lhr.runtimeError) throw new Error(`${form}: ${lhr.runtimeError.message}`);
      const scores = Object.values(lhr.categories).map((c) => `${c.title} ${Math.round(c.score * 100)}`);
      console.log(`Lighthouse ${lhr.lighthouseVersion}, ${form}: ${scores.join(', ')}`);
      for (const [id, title] of METRICS) console.log(`  ${title.padEnd(26)} ${lhr.audits[id].displayValue}`);
      // What kept a category under 100, so the number can be acted on.
      const missed = Object.values(lhr.categories).flatMap((c) => c.auditRefs
        .filter((r) => r.weight > 0 && lhr.audits[r.id].score !== null && lhr.audits[r.id].score < 1)
        .map((r) => `${c.title}: ${lhr.audits[r.id].title}`));
      for (const m of missed) console.log(`  (short of full marks) ${m}`);
    }
  } finally {
    await chrome.kill();
    await server.close();
  }
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(1);
});
