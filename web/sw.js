'use strict';
// The page's service worker: it keeps the page's files so that the page
// opens and plays with no network after the first visit. The network comes
// first whenever there is one, and each file it gives replaces the kept
// copy: a new build's files are the ones kept from its first visit on.

const kCache = 'orvane-page';
const kFiles = ['./', 'index.html', 'orvane.js', 'orvane.wasm', 'layout.css', 'layout.js', 'touch.js', 'tilt.js',
  'manifest.webmanifest', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

async function networkFirst(request) {
  const cache = await caches.open(kCache);
  try {
    const response = await fetch(request);
    if (response.ok) await cache.put(request, response.clone());
    return response;
  } catch (offline) {
    // The address's query (a replay) does not change the file.
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) return kept;
    throw offline;
  }
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  event.respondWith(networkFirst(event.request));
});
