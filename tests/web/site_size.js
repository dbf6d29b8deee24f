// SPDX-License-Identifier: GPL-3.0-or-later
// The whole site as a first visit gets it, each file gzipped as web/serve.js
// sends it (the host's `_headers` is never sent), at most LIMIT KB in all:
//   node site_size.js SITE_DIR LIMIT_KB
// Only Node's own modules: it runs with the WebAssembly build's tests, before
// any browser.
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const [dir, limit] = process.argv.slice(2);
if (!dir || !(Number(limit) > 0)) {
  console.error('usage: node site_size.js SITE_DIR LIMIT_KB');
  process.exit(2);
}
const files = fs.readdirSync(dir).filter((f) => f !== '_headers' && fs.statSync(path.join(dir, f)).isFile());
let total = 0;
for (const file of files.sort()) {
  const sent = zlib.gzipSync(fs.readFileSync(path.join(dir, file)), { level: 9 }).length;
  total += sent;
  console.log(`${(sent / 1024).toFixed(1).padStart(6)} KB  ${file}`);
}
console.log(`${(total / 1024).toFixed(1).padStart(6)} KB  in all, of at most ${limit} KB`);
// A site without its page or module would pass for small. Said on the same
// stream as the sizes, after them, and with the exit status set rather than
// exiting, so that none of it is lost on a pipe.
const missing = ['index.html', 'teglomer.wasm'].filter((f) => !files.includes(f));
if (missing.length) {
  console.log(`not a whole site: no ${missing.join(', ')} in ${dir}`);
  process.exitCode = 1;
} else if (total > limit * 1024) {
  console.log(`the site is ${(total / 1024).toFixed(1)} KB gzipped, more than ${limit} KB`);
  process.exitCode = 1;
}
