// Quorel — SPDX-License-Identifier: MIT
// Keeps the page working offline once loaded: its own files only, served from
// the cache first. A new release changes kCache, which drops the old files.
const kCache = 'quorel-2';
const kFiles = ['./', 'index.html', 'style.css', 'app.js', 'texts.js', 'worker.js', 'quorel-core.mjs',
                'quorel-core.wasm', 'manifest.webmanifest', 'icon.svg', 'icon-48.png', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== kCache).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (new URL(event.request.url).origin !== self.location.origin) return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((cached) => cached ?? fetch(event.request)));
});
