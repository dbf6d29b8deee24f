// SPDX-License-Identifier: GPL-3.0-or-later
// The web page's weight and speed, each load a first visit in a fresh
// headless Chromium context, served gzipped from 127.0.0.1:
//   node page_bench.js SITE_DIR DESIGN_JSON [LOADS]
// Prints the median (and range) of: bytes sent, navigation to first paint,
// navigation to ready (performance mark "teglomer-ready"), and a click on
// Calculate to the report painted (mark "teglomer-report", then the frame);
// and, alternately loaded, a one-line page's first paint: what this browser
// on this machine takes for any page.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve } = require('../web/serve');
const { launch, setLocale } = require('../tools/browsers');

const [site, designJson, count] = process.argv.slice(2);
const loads = Number(count || 21);
if (!site || !designJson) {
  console.error('usage: node page_bench.js SITE_DIR DESIGN_JSON [LOADS]');
  process.exit(2);
}
// The elements, by their names in the design table.
const ids = Object.fromEntries(JSON.parse(fs.readFileSync(designJson, 'utf8')).controls.map((c) => [c.name, c.id]));
const el = (name) => `[id="${ids[name]}"]`;

// Installed before the page's own script runs: times the first click on
// Calculate, from the click event's dispatch to the frame after the report
// mark.
function armReportTimer(calculate) {
  window.__reportTime = new Promise((resolve) => {
    let clicked = 0;
    let marks = 0;
    const painted = () => requestAnimationFrame(() => {
      const written = performance.getEntriesByName('teglomer-report').pop().startTime;
      const frame = performance.now();
      // The message arrives once the frame with the report has been drawn.
      const channel = new MessageChannel();
      channel.port1.onmessage = () => resolve({
        painted: performance.now() - clicked, written: written - clicked, waited: frame - written,
      });
      channel.port2.postMessage(0);
    });
    addEventListener('click', (e) => {
      if (!e.target.closest(calculate)) return;
      // When the click reaches the page: the browser's own input pipeline
      // (busy here with the driver's events) is not the page's time.
      clicked = performance.now();
      marks = performance.getEntriesByName('teglomer-report').length;
    }, true);
    // After the page's own click handler: the report is written by now, or
    // comes later, when the mark is made.
    addEventListener('click', (e) => {
      if (!e.target.closest(calculate)) return;
      if (performance.getEntriesByName('teglomer-report').length > marks) return painted();
      new PerformanceObserver((list, observer) => {
        if (!list.getEntriesByName('teglomer-report').length) return;
        observer.disconnect();
        painted();
      }).observe({ type: 'mark' });
    });
  });
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

(async () => {
  const server = await serve(site, { gzip: true });
  const plainDir = fs.mkdtempSync(path.join(os.tmpdir(), 'teglomer-plain-'));
  fs.writeFileSync(path.join(plainDir, 'index.html'),
    '<!DOCTYPE html><html lang="bg"><meta charset="utf-8"><title>-</title><p>Изчисли</p></html>');
  const plain = await serve(plainDir, { gzip: true });
  const browser = await launch('chromium');
  const version = (await browser.version()).replace(/^.*\//, '');
  // A fresh context a visit, its page in Bulgarian.
  const visit = async (url, before) => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await setLocale(page, 'bg-BG');
    if (before) await page.evaluateOnNewDocument(...before);
    await page.goto(url);
    return { context, page };
  };
  const runs = [];
  try {
    // One load more than measured: the first, discarded, pays for starting
    // the browser's own machinery.
    for (let i = -1; i < loads; i++) {
      server.clear();
      const { context, page } = await visit(server.url, [armReportTimer, el('Command1(0)')]);
      await page.waitForFunction(() => document.documentElement.dataset.ready === '1');
      // The service worker's copies belong to the first visit too.
      await page.evaluate(() => navigator.serviceWorker && navigator.serviceWorker.ready);
      const times = await page.evaluate(() => {
        const [paint] = performance.getEntriesByName('first-contentful-paint');
        const [ready] = performance.getEntriesByName('teglomer-ready');
        return { painted: paint ? paint.startTime : NaN, ready: ready ? ready.startTime : NaN };
      });
      await page.click(`label[for="${ids['Option1(0)']}"]`);
      await page.type(el('Text2(0)'), '170');
      await page.type(el('Text2(1)'), '72');
      await page.click(el('Command1(0)'));
      const report = await page.evaluate(() => Promise.race([window.__reportTime,
        new Promise((_, fail) => setTimeout(() => fail(new Error('no "teglomer-report" mark after Calculate')), 5000))]));
      const sent = server.requests.reduce((sum, r) => sum + r.bytes, 0);
      // Each file once, as sent in full (a revalidated copy sends no body).
      const files = new Map();
      for (const r of server.requests) files.set(r.path, Math.max(files.get(r.path) || 0, r.bytes));
      await context.close();
      const { context: other, page: plainPage } = await visit(plain.url);
      const plainPainted = await plainPage.evaluate(() => new Promise((resolve) => new PerformanceObserver((list) =>
        resolve(list.getEntriesByName('first-contentful-paint')[0].startTime)).observe({ type: 'paint', buffered: true })));
      await other.close();
      if (i >= 0) runs.push({ ...times, report: report.painted, written: report.written, waited: report.waited, sent,
        files: [...files.values()].reduce((a, b) => a + b, 0), requests: server.requests.length, plainPainted });
    }
  } finally {
    await browser.close();
    await server.close();
    await plain.close();
    fs.rmSync(plainDir, { recursive: true, force: true });
  }
  const col = (key) => runs.map((r) => r[key]);
  const row = (label, key, unit, digits) => {
    const xs = col(key);
    const f = (x) => (unit === 'KB' ? (x / 1024).toFixed(1) : x.toFixed(digits));
    console.log(`  ${label.padEnd(38)} ${f(median(xs)).padStart(8)} ${unit.padEnd(3)}` +
      `  (${f(Math.min(...xs))} to ${f(Math.max(...xs))})`);
  };
  console.log(`The page: headless Chromium ${version}, median of ${loads} first visits from 127.0.0.1` +
    ` (load average ${os.loadavg()[0].toFixed(1)} on ${os.cpus().length} cores)`);
  row('sent, gzip: the page\'s files', 'files', 'KB');
  row(`sent, gzip: all ${median(col('requests'))} requests`, 'sent', 'KB');
  row('navigation to the window painted', 'painted', 'ms', 1);
  row('  a one-line page, for comparison', 'plainPainted', 'ms', 1);
  row('navigation to ready', 'ready', 'ms', 1);
  row('Calculate to the report written', 'written', 'ms', 2);
  row('Calculate to the report painted', 'report', 'ms', 2);
  row('  of which waiting for the next frame', 'waited', 'ms', 2);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
