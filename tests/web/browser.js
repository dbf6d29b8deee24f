// SPDX-License-Identifier: GPL-3.0-or-later
// What the page tests and the page benchmark share: a small static server for
// the site folder that records every request, and Debian's Chromium, headless,
// driven by Playwright. No browser is ever downloaded.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');
let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (e) {
  throw new Error(`playwright-core is not installed: run \`npm ci\` in ${__dirname}`);
}

// The policy a careful host would send; the page must work under it.
const CSP = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'";

// Only these kinds are served: a file of any other kind is reported as an
// error, so a new one is noticed rather than sent with a guessed type.
const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
  '.txt': 'text/plain; charset=utf-8',
  '.xml': 'application/xml',
};

// serve(dir, {gzip}) -> {url, requests, errors, offline, close()}.
// `requests` lists every request ({method, path, status, bytes}), `errors`
// what went wrong on the server's side; with `offline` set every connection
// is cut, as when the network is gone. With gzip, bodies are sent compressed
// when the client accepts it, and `bytes` counts what went on the wire.
function serve(dir, { gzip = false } = {}) {
  const root = path.resolve(dir);
  const state = { requests: [], errors: [], offline: false };
  const sockets = new Set();
  const server = http.createServer((req, res) => {
    if (state.offline) {
      req.socket.destroy();
      return;
    }
    const record = { method: req.method, path: req.url, status: 0, bytes: 0 };
    state.requests.push(record);
    const send = (status, headers, body) => {
      record.status = status;
      record.bytes = body ? body.length : 0;
      res.writeHead(status, { 'Content-Security-Policy': CSP, 'Cache-Control': 'no-cache', ...headers });
      res.end(req.method === 'HEAD' ? undefined : body);
    };
    let file;
    try {
      const pathname = decodeURIComponent(new URL(req.url, 'http://x').pathname);
      file = path.join(root, pathname.endsWith('/') ? pathname + 'index.html' : pathname);
    } catch (e) {
      send(400, {}, null);
      return;
    }
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      state.errors.push(`${req.method} ${req.url}: only GET is expected`);
      send(405, {}, null);
      return;
    }
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      send(404, {}, null);
      return;
    }
    const type = TYPES[path.extname(file).toLowerCase()];
    if (!type) {
      state.errors.push(`${req.url}: no type known for ${path.extname(file) || 'a file without extension'}`);
      send(500, {}, null);
      return;
    }
    // Revalidation as a static host does it: an unchanged file is not sent again.
    const modified = new Date(Math.floor(fs.statSync(file).mtimeMs / 1000) * 1000);
    const since = Date.parse(req.headers['if-modified-since'] || '');
    if (since >= modified.getTime()) {
      send(304, { 'Last-Modified': modified.toUTCString() }, null);
      return;
    }
    let body = fs.readFileSync(file);
    const headers = { 'Content-Type': type, 'Last-Modified': modified.toUTCString() };
    if (gzip && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, { level: 9 });
      headers['Content-Encoding'] = 'gzip';
    }
    send(200, headers, body);
  });
  server.on('connection', (s) => {
    sockets.add(s);
    s.on('close', () => sockets.delete(s));
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    // Port 0: the system picks a free one.
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({
        url: `http://127.0.0.1:${port}/`,
        origin: `http://127.0.0.1:${port}`,
        get requests() { return state.requests; },
        get errors() { return state.errors; },
        set offline(v) {
          state.offline = v;
          if (v) for (const s of sockets) s.destroy();
        },
        clear() { state.requests.length = 0; },
        close() {
          for (const s of sockets) s.destroy();
          return new Promise((r) => server.close(r));
        },
      });
    });
  });
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

module.exports = { CSP, TYPES, serve, launch };
