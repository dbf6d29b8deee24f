// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the site's files, so that after one visit the page loads and
// calculates with the network gone. The build writes in the list of files
// and the cache's version, which comes from their contents: a new build
// makes a new service worker, which fetches the new files on the next visit
// and drops the old ones.
'use strict';
const CACHE = 'teglomer-@VERSION@';
const FILES = [@FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    // Past the browser's HTTP cache, which may still hold the old files.
    .then((cache) => cache.addAll(FILES.map((f) => new Request(f, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('teglomer-') && k !== CACHE)
      .map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
