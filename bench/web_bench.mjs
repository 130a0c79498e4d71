// The web page's time budget: a 12-megapixel JPEG (4000 x 3000, made by the browser from
// noise over gradients, as a photo's detail) chosen on the page and made into a package
// in headless Chromium, from choosing it until the download is complete. Run by
// bench/web_budget.sh, from the build folder's copy beside harness.mjs:
//   node web_bench.mjs --site DIR [--runs N]
import { writeFileSync } from 'node:fs';
import path from 'node:path';
import { choose, open, options, waitForDownload } from './harness.mjs';

const o = options();
const runs = Number(o.runs || 5);
const session = await open(o.site);
const { page } = session;

const jpeg = await page.evaluate(async () => {
  const canvas = new OffscreenCanvas(4000, 3000);
  const context = canvas.getContext('2d');
  const gradient = context.createLinearGradient(0, 0, 4000, 3000);
  gradient.addColorStop(0, '#2a4d8f');
  gradient.addColorStop(0.5, '#d9a441');
  gradient.addColorStop(1, '#3f8f4a');
  context.fillStyle = gradient;
  context.fillRect(0, 0, 4000, 3000);
  const noise = context.getImageData(0, 0, 4000, 3000);
  let state = 12345;
  for (let i = 0; i < noise.data.length; i += 4) {
    state = (state * 1103515245 + 12345) >>> 0;
    const grain = (state >>> 24) - 128;
    noise.data[i] += grain >> 2;
    noise.data[i + 1] += grain >> 2;
    noise.data[i + 2] += grain >> 2;
  }
  context.putImageData(noise, 0, 0);
  const blob = await canvas.convertToBlob({ type: 'image/jpeg', quality: 0.92 });
  const bytes = new Uint8Array(await blob.arrayBuffer());
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text);
});
const photo = path.join(session.work, 'photo-12mp.jpg');
writeFileSync(photo, Buffer.from(jpeg, 'base64'));
console.log(`photo: 4000 x 3000 JPEG, ${(Buffer.byteLength(jpeg, 'base64') / 1e6).toFixed(1)} MB`);

const times = [];
for (let run = 1; run <= runs; ++run) {
  await page.evaluate(() => {
    performance.clearMarks();
    document.querySelector('#make').disabled = true;
  });
  const start = Date.now();
  await choose(page, photo);
  await page.waitForFunction(() => !document.querySelector('#make').disabled);
  await page.click('#make');
  await waitForDownload(session, run);
  const total = Date.now() - start;
  const decode = await page.evaluate(
    () => performance.measure('decode', 'klv-photo-chosen', 'klv-photo-ready').duration);
  times.push(total);
  console.log(`run ${run}: ${total} ms (decode and pixels ${decode.toFixed(0)} ms)`);
}
times.sort((a, b) => a - b);
console.log(`median: ${times[Math.floor(times.length / 2)]} ms from choosing the photo to the download (budget: under 1000 ms)`);
await session.close();
