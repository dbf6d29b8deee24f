// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the site's folder as a static host would, with the headers of its
// `_headers` file; the one server of `tools/run --web`, the page tests and
// the page benchmark:
//   node web/serve.js SITE_DIR [PORT]
// Without PORT, the first free one from 8000 on. Only Node's own modules.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

// Only these kinds are served: a file of any other kind is an error, so a new
// one is noticed rather than sent with a guessed type. A module sent as
// anything but application/wasm is compiled only once it has all arrived.
const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
  '.txt': 'text/plain; charset=utf-8',
};

// The `_headers` file as static hosts read it: a path pattern (`/*`,
// `/*.wasm`, `/sw.js`) at the start of a line, then indented `Name: value`
// lines for it. -> [{match(pathname), headers: [[name, value]]}]
function readHeaders(file) {
  if (!fs.existsSync(file)) return [];
  const rules = [];
  fs.readFileSync(file, 'utf8').split(/\r?\n/).forEach((line, i) => {
    if (!line.trim() || line.trim().startsWith('#')) return;
    if (!/^\s/.test(line)) {
      const pattern = new RegExp(`^${line.trim().split('*').map((s) => s.replace(/[.+?^${}()|[\]\\]/g, '\\$&')).join('.*')}$`);
      rules.push({ match: (p) => pattern.test(p), headers: [] });
      return;
    }
    const header = /^\s+([^:\s]+)\s*:\s*(.*?)\s*$/.exec(line);
    if (!header || !rules.length) throw new Error(`${file}:${i + 1}: not a header of a path: ${line}`);
    rules[rules.length - 1].headers.push([header[1], header[2]]);
  });
  return rules;
}

// The headers for a path: each matching block in order, a later block's
// value of a header already given added to it, as hosts do.
function headersFor(rules, pathname) {
  const out = {};
  const names = {};
  for (const rule of rules.filter((r) => r.match(pathname))) {
    for (const [name, value] of rule.headers) {
      const key = names[name.toLowerCase()] || (names[name.toLowerCase()] = name);
      out[key] = key in out ? `${out[key]}, ${value}` : value;
    }
  }
  return out;
}

// serve(dir, {gzip, port, host, record, onError}) -> {url, origin, requests,
// errors, offline, dir, clear(), close()}. `requests` lists every request
// ({method, path, status, bytes}) unless `record` is false, `errors` what
// went wrong on the server's side, each also told to `onError`. With
// `offline` set every connection is cut, as when the network is gone;
// setting `dir` serves another folder from the same address (a new build).
// With gzip, bodies go compressed when the client accepts it, and `bytes`
// counts what went on the wire. Port 0: the system picks a free one.
function serve(dir, { gzip = false, port = 0, host = '127.0.0.1', record: keep = true, onError = () => {} } = {}) {
  const state = { root: path.resolve(dir), requests: [], errors: [], offline: false };
  const fail = (message) => {
    state.errors.push(message);
    onError(message);
  };
  const sockets = new Set();
  const server = http.createServer((req, res) => {
    if (state.offline) {
      req.socket.destroy();
      return;
    }
    const { root } = state;
    const record = { method: req.method, path: req.url, status: 0, bytes: 0 };
    if (keep) state.requests.push(record);
    let pathname;
    let extra = {};
    const send = (status, headers, body) => {
      record.status = status;
      record.bytes = body ? body.length : 0;
      // A rebuilt page shows on the next load; the site's own headers last.
      res.writeHead(status, { 'Cache-Control': 'no-cache', ...headers, ...extra });
      res.end(req.method === 'HEAD' ? undefined : body);
    };
    try {
      pathname = decodeURIComponent(new URL(req.url, 'http://x').pathname);
      extra = headersFor(readHeaders(path.join(root, '_headers')), pathname);
    } catch (e) {
      if (pathname !== undefined) fail(`_headers: ${e.message}`);
      send(pathname === undefined ? 400 : 500, {}, null);
      return;
    }
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      fail(`${req.method} ${req.url}: only GET is expected`);
      send(405, { Allow: 'GET, HEAD' }, null);
      return;
    }
    const file = path.join(root, pathname.endsWith('/') ? pathname + 'index.html' : pathname);
    // `_headers` is the host's, not the site's.
    if (!file.startsWith(root + path.sep) || file === path.join(root, '_headers') ||
        !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      send(404, {}, null);
      return;
    }
    const type = TYPES[path.extname(file).toLowerCase()];
    if (!type) {
      fail(`${req.url}: no type known for ${path.extname(file) || 'a file without extension'}`);
      send(500, {}, null);
      return;
    }
    // Revalidation as a static host does it: an unchanged file is not sent again.
    const modified = new Date(Math.floor(fs.statSync(file).mtimeMs / 1000) * 1000);
    if (Date.parse(req.headers['if-modified-since'] || '') >= modified.getTime()) {
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
    server.listen(port, host, () => {
      const origin = `http://${host}:${server.address().port}`;
      resolve({
        url: `${origin}/`,
        origin,
        get requests() { return state.requests; },
        get errors() { return state.errors; },
        get dir() { return state.root; },
        set dir(d) { state.root = path.resolve(d); },
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

module.exports = { TYPES, serve, readHeaders, headersFor };

if (require.main === module) {
  (async () => {
    const [site, port] = process.argv.slice(2);
    if (!site || !fs.existsSync(path.join(site, 'index.html')) || (port && !/^\d+$/.test(port))) {
      console.error('usage: node serve.js SITE_DIR [PORT]  (SITE_DIR with an index.html)');
      process.exit(2);
    }
    let server;
    for (const p of port ? [Number(port)] : Array.from({ length: 100 }, (_, i) => 8000 + i)) {
      try {
        server = await serve(site, { port: p, record: false, onError: (m) => console.error(m) });
        break;
      } catch (e) {
        if (port || e.code !== 'EADDRINUSE') {
          console.error(`no port to serve on: ${e.message}`);
          process.exit(1);
        }
      }
    }
    if (!server) {
      console.error('no port to serve on: 8000 to 8099 are all taken');
      process.exit(1);
    }
    console.log(`The page: ${server.url}  (serving ${path.resolve(site)}; Ctrl+C stops)`);
    // Ctrl+C stops it, even when started with interrupts ignored (in the background).
    process.on('SIGINT', () => {
      console.log('\nStopped.');
      process.exit(0);
    });
  })();
}
