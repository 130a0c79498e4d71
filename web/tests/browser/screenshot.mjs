// The web page's screenshots for docs/, in Japanese and in English, with a photo chosen and
// a crop drawn on it:
//   node screenshot.mjs --site DIR --photo FILE --out DIR
// writes OUT/screenshot-web-ja.png and OUT/screenshot-web-en.png.
import path from 'node:path';
import { choose, open, options } from './harness.mjs';

const o = options();
for (const [language, languages] of [['ja', ['ja-JP', 'ja']], ['en', ['en-US', 'en']]]) {
  const session = await open(o.site, { languages, width: 1060, height: 760 });
  await choose(session.page, o.photo);
  const { page } = session;
  await page.waitForFunction(() => !document.querySelector('#make').disabled);
  // A crop drawn on the photo, from a tenth of it to nine tenths.
  const box = await (await page.$('#photo')).boundingBox();
  await page.mouse.move(box.x + box.width * 0.1, box.y + box.height * 0.1);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width * 0.9, box.y + box.height * 0.9, { steps: 4 });
  await page.mouse.up();
  const file = path.join(o.out, `screenshot-web-${language}.png`);
  await page.screenshot({ path: file });
  await session.close();
  console.log(`written: ${file}`);
}
