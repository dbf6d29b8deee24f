// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the site's folder as a static host would, with the headers of its
// `_headers` file; the one server of `tools/run --web`, the page tests and
// the page benchmark:
//   node web/serve.js SITE_DIR [PORT]
// Without PORT, the first free one from 8000 on. The serving is Debian's
// serve-static and compression (node-serve-static, node-compression; a
// Node.js not of Debian's finds them through NODE_PATH=/usr/share/nodejs):
// types, revalidation (304), compression and the guard against paths out of
// the folder. The `_headers` file and what the tests hook into are the
// project's own.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const compression = require('compression');
const serveStatic = require('serve-static');
const { mime } = require('send');

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
  const compress = gzip ? compression({ level: 9 }) : (req, res, next) => next();
  const sockets = new Set();
  const server = http.createServer((req, res) => {
    if (state.offline) {
      req.socket.destroy();
      return;
    }
    const record = { method: req.method, path: req.url, status: 0, bytes: 0 };
    if (keep) state.requests.push(record);
    // What goes on the wire: wrapped before compression wraps it in turn.
    for (const method of ['write', 'end']) {
      const original = res[method];
      res[method] = function counted(chunk, ...rest) {
        if (chunk && typeof chunk !== 'function') record.bytes += Buffer.byteLength(chunk);
        record.status = res.statusCode;
        return original.call(this, chunk, ...rest);
      };
    }
    const refuse = (status, headers = {}) => {
      res.writeHead(status, headers);
      res.end();
    };
    let rules;
    try {
      rules = readHeaders(path.join(state.root, '_headers'));
    } catch (e) {
      fail(`_headers: ${e.message}`);
      refuse(500);
      return;
    }
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      fail(`${req.method} ${req.url}: only GET is expected`);
      refuse(405, { Allow: 'GET, HEAD' });
      return;
    }
    const pathname = new URL(req.url, 'http://x').pathname;
    // `_headers` is the host's, not the site's.
    if (pathname === '/_headers') {
      refuse(404);
      return;
    }
    const files = serveStatic(state.root, {
      cacheControl: false,
      // A rebuilt page shows on the next load; the site's own headers after.
      setHeaders: (response, file) => {
        // A file of a kind without a type is an error, so a new kind is
        // noticed rather than sent untyped; text goes as UTF-8.
        const type = mime.getType(file);
        if (!type) fail(`${req.url}: no type known for ${path.extname(file) || 'a file without extension'}`);
        else response.setHeader('Content-Type', /^text\/|javascript/.test(type) ? `${type}; charset=utf-8` : type);
        response.setHeader('Cache-Control', 'no-cache');
        for (const [name, value] of Object.entries(headersFor(rules, decodeURIComponent(pathname))))
          response.setHeader(name, value);
      },
    });
    compress(req, res, () => files(req, res, () => refuse(404)));
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

module.exports = { serve };

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
