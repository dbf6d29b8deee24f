// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the site's files, so that after one visit the page loads and
// calculates with the network gone. The build writes in the files with the
// start of the SHA-256 of each, and the cache's version, which comes from
// them: a new build makes a new service worker, which fetches the new files
// on the next visit and drops the old ones.
'use strict';
const CACHE = 'teglomer-@VERSION@';
const FILES = [@FILES@
];

const hex = (bytes) => Array.from(new Uint8Array(bytes), (b) => b.toString(16).padStart(2, '0')).join('');

// The copy the browser has just loaded for the page, when it is the one this
// build made (so a first visit downloads nothing twice); else the server's.
// A file that is neither (a site half replaced) fails the install, and the
// next visit tries again.
async function fetchChecked(url, digest) {
  for (const cache of ['force-cache', 'reload']) {
    const response = await fetch(url, { cache });
    const body = response.ok ? await response.clone().arrayBuffer() : null;
    if (body && hex(await crypto.subtle.digest('SHA-256', body)).startsWith(digest)) return response;
  }
  throw new Error(`${url} is not the file of this build`);
}

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => Promise.all(FILES.map(([url, digest]) =>
      fetchChecked(url, digest).then((response) => cache.put(url, response)))))
    // A refused build leaves no half-filled cache behind.
    .catch((error) => caches.delete(CACHE).then(() => { throw error; }))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('teglomer-') && k !== CACHE)
      .map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  // The page asked for by its file name is the folder's page.
  const page = new URL(request.url).pathname.endsWith('/index.html');
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(page ? './' : request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(request)));
});
