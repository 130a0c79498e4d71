// What the web page's tests, screenshots and benchmark share: a static server of the
// site on 127.0.0.1 (as any static host serves it) and Debian's headless Chromium with a
// fresh profile and no network of its own, driven by puppeteer-core, its downloads going
// to a folder of their own.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import http from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
};

// The command line: an optional first word (`name`), then --key value pairs.
export function options() {
  const args = process.argv.slice(2);
  const name = args[0] && !args[0].startsWith('--') ? args.shift() : undefined;
  const values = {};
  for (let i = 0; i + 1 < args.length; i += 2) values[args[i].replace(/^--/, '')] = args[i + 1];
  return { name, ...values };
}

// A static server of `folder`, as any static host serves the site.
export async function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = readFileSync(file);
      response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

// The browser and one page of the site in `languages`; downloads go to their own folder.
export async function open(site, { languages = ['en-US', 'en'], query = '', width = 1280, height = 900 } = {}) {
  const work = mkdtempSync(path.join(tmpdir(), 'klv-web-'));
  const { server, origin } = await serve(path.resolve(site));
  const browser = await puppeteer.launch({
    executablePath: process.env.KLV_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(work, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  const problems = [];
  const requests = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warn') problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(String(error)));
  page.on('request', (request) => requests.push(request.url()));
  await page.evaluateOnNewDocument((list) => {
    Object.defineProperty(navigator, 'languages', { get: () => list });
    Object.defineProperty(navigator, 'language', { get: () => list[0] });
  }, languages);
  // Each download is kept under its id, with the name the page gave it.
  const downloads = path.join(work, 'downloads');
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior',
                     { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
  const names = new Map();
  const finished = [];
  session.on('Browser.downloadWillBegin', (event) => names.set(event.guid, event.suggestedFilename));
  session.on('Browser.downloadProgress', (event) => {
    if (event.state === 'completed') {
      finished.push({ name: names.get(event.guid), file: path.join(downloads, event.guid) });
    }
  });
  await page.goto(`${origin}/${query}`);
  await page.waitForSelector('body[data-ready]');
  const close = async () => {
    await browser.close();
    server.close();
    rmSync(work, { recursive: true, force: true });
    // Nothing but the site's own files, and nothing wrong on the console.
    for (const url of requests) {
      assert.ok(url.startsWith(origin + '/') || url.startsWith('blob:' + origin + '/'),
                `the page asked for ${url}`);
    }
    assert.deepEqual(problems, [], 'the console holds errors or warnings');
  };
  return { page, downloads, finished, work, close };
}

export async function choose(page, file) {
  const chooser = await page.$('#file');
  await chooser.uploadFile(file);
}

// The downloads once `count` of them are complete: [{name, file}], in order.
export async function waitForDownload(session, count = 1) {
  const deadline = Date.now() + 20000;
  while (session.finished.length < count) {
    assert.ok(Date.now() < deadline, 'no download came');
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
  return session.finished;
}

