// SPDX-License-Identifier: GPL-3.0-or-later
// Lighthouse's view of the page, served from 127.0.0.1, in Debian's Chromium,
// headless: its four category scores and main metrics, as a throttled phone
// (its default) and as a desktop (its desktop preset):
//   node lighthouse.js SITE_DIR [RUNS]
// Of RUNS runs each (3 by default), the median run, as Lighthouse picks it.
// Nothing may leave the machine: the browser resolves no other host, and
// this process refuses to connect anywhere but the loopback address.
'use strict';

const net = require('net');
const path = require('path');

// Before Lighthouse is loaded: a connection elsewhere (a download, a lookup)
// fails instead of waiting for a network there is none of, and fails the
// run even where the caller would swallow the error.
const refused = [];
const connect = net.Socket.prototype.connect;
net.Socket.prototype.connect = function (...args) {
  const options = typeof args[0] === 'object' && !Array.isArray(args[0]) ? args[0] : { port: args[0], host: args[1] };
  const host = options.path ? 'localhost' : options.host || 'localhost';
  if (!['127.0.0.1', 'localhost', '::1'].includes(host)) {
    refused.push(host);
    throw new Error(`refused a connection to ${host}`);
  }
  return connect.apply(this, args);
};

const modules = path.join(__dirname, '../tests/web/node_modules');
const { CHROMIUM, CHROMIUM_FLAGS } = require('../tools/browsers');
const { serve } = require('../web/serve');

const [site, count] = process.argv.slice(2);
const runs = Number(count || 3);
if (!site) {
  console.error('usage: node lighthouse.js SITE_DIR [RUNS]');
  process.exit(2);
}

const CATEGORIES = [['performance', 'performance'], ['accessibility', 'accessibility'],
  ['best-practices', 'best practices'], ['seo', 'SEO']];
const METRICS = [['first-contentful-paint', 'First Contentful Paint'],
  ['largest-contentful-paint', 'Largest Contentful Paint'], ['total-blocking-time', 'Total Blocking Time'],
  ['cumulative-layout-shift', 'Cumulative Layout Shift'], ['speed-index', 'Speed Index']];

(async () => {
  const imported = (name) => import(path.join(modules, name));
  const { default: lighthouse, desktopConfig } = await imported('lighthouse/core/index.js');
  const { computeMedianRun } = await imported('lighthouse/core/lib/median-run.js');
  const chromeLauncher = await imported('chrome-launcher/dist/index.js');
  const server = await serve(site, { gzip: true });
  const chrome = await chromeLauncher.launch({
    chromePath: CHROMIUM,
    chromeFlags: ['--headless=new', ...CHROMIUM_FLAGS],
  });
  let failed = false;
  try {
    const browser = (await (await fetch(`http://127.0.0.1:${chrome.port}/json/version`)).json()).Browser;
    console.log(`Lighthouse on ${browser}, ${server.url}, median of ${runs} runs each:`);
    for (const [label, config] of [['mobile (throttled phone)', undefined], ['desktop', desktopConfig]]) {
      const lhrs = [];
      for (let i = 0; i < runs; i++) {
        const { lhr } = await lighthouse(server.url, { port: chrome.port, output: 'json', logLevel: 'error' }, config);
        if (lhr.runtimeError) throw new Error(`Lighthouse: ${lhr.runtimeError.code}: ${lhr.runtimeError.message}`);
        lhrs.push(lhr);
      }
      const lhr = computeMedianRun(lhrs);
      console.log(`  ${label}`);
      for (const [id, name] of CATEGORIES) {
        const { score } = lhr.categories[id];
        console.log(`    ${name.padEnd(26)} ${score === null ? '-' : String(Math.round(score * 100)).padStart(3)}`);
      }
      for (const [id, name] of METRICS) console.log(`    ${name.padEnd(26)} ${lhr.audits[id].displayValue}`);
      // Where the blocking time comes from: the longest main-thread tasks
      // (throttled, for the phone), by the script that ran them.
      const tasks = (lhr.audits['long-tasks'].details || { items: [] }).items.slice(0, 3)
        .map((t) => `${t.url.replace(server.origin, '') || '?'} ${Math.round(t.duration)} ms`);
      if (tasks.length) console.log(`    longest tasks: ${tasks.join(', ')}`);
      // What fell short, by audit, so a score below 100 says why.
      const shortfalls = Object.values(lhr.categories).flatMap((c) => c.auditRefs.filter((r) => r.weight > 0)
        .map((r) => lhr.audits[r.id]).filter((a) => a.score !== null && a.score < 0.9 && a.scoreDisplayMode !== 'informative')
        .map((a) => `${c.id}: ${a.title} (${Math.round(a.score * 100)})`));
      if (shortfalls.length) console.log(`    below 90: ${[...new Set(shortfalls)].join('; ')}`);
      // Every request of every run was the page's own, to the server above.
      const away = lhrs.flatMap((l) => (l.audits['network-requests'].details.items || []).map((r) => r.url))
        .filter((u) => !u.startsWith(server.origin) && !/^(data|blob|chrome-extension):/.test(u));
      if (away.length) {
        failed = true;
        console.log(`    FAILED: requests away from ${server.origin}: ${away.join(', ')}`);
      }
    }
  } finally {
    chrome.kill();
    await server.close();
  }
  if (refused.length) {
    failed = true;
    console.log(`FAILED: Lighthouse tried to connect to ${[...new Set(refused)].join(', ')}`);
  }
  if (failed) process.exit(1);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
