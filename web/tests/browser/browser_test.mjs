// The web page's tests in headless Chromium (Debian's chromium, driven by puppeteer-core):
//   node browser_test.mjs CASE --site DIR --pictures DIR --klvmake PROGRAM
// The site is served and the browser run as harness.mjs says. Every case also checks that
// the page asked for nothing but the site's files and wrote no error or warning to its
// console.
// Cases: loads, png-matches-klvmake, exif-upright, damaged-file, package-trial-play.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { choose, open, options, waitForDownload } from './harness.mjs';

// A tile's picture (a BMP file image) at `index` of the package's tile chunks, and the
// grid from its header.
function readPackage(bytes) {
  assert.equal(bytes.toString('latin1', 0, 4), 'RIFF');
  const chunks = [];
  for (let at = 12; at + 8 <= bytes.length;) {
    const size = bytes.readUInt32LE(at + 4);
    chunks.push({ id: bytes.toString('latin1', at, at + 4), data: bytes.subarray(at + 8, at + 8 + size) });
    at += 8 + size + (size % 2);
  }
  const header = chunks[0].data;
  return { xMax: header.readInt16LE(4), yMax: header.readInt16LE(6), tiles: chunks.slice(2).map((c) => c.data) };
}

function bmpPixel(bmp, x, y) {
  const offset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const height = bmp.readInt32LE(22);
  const row = Math.floor((24 * width + 31) / 32) * 4;
  const at = offset + (height - 1 - y) * row + x * 3;
  return { r: bmp[at + 2], g: bmp[at + 1], b: bmp[at] };
}

async function text(page, selector) {
  return page.$eval(selector, (element) => element.textContent);
}

const cases = {
  // The page comes up in the reader's language with the form's start values.
  async loads(o) {
    for (const [languages, make, colour5] of [[['ja-JP', 'ja', 'en'], '分解', 'マゼンダ'],
                                              [['en-GB', 'ja'], 'Make the puzzle', 'Magenta']]) {
      const session = await open(o.site, { languages });
      const { page } = session;
      assert.equal(await text(page, '#make'), make);
      assert.equal(await page.$eval('html', (e) => e.lang), languages[0].slice(0, 2));
      assert.ok((await text(page, '#colours label:nth-of-type(6)')).includes(colour5));
      assert.ok(await page.$eval('#colours input[value="5"]', (e) => e.checked));
      assert.equal(await page.$eval('#text1', (e) => e.value), '30');
      assert.equal(await page.$eval('#text2', (e) => e.value), '15');
      assert.ok(await page.$eval('#make', (e) => e.disabled));
      await session.close();
    }
  },

  // A PNG made on the page with ?seed=7 is byte for byte the package klvmake makes of it.
  async 'png-matches-klvmake'(o) {
    const session = await open(o.site, { languages: ['ja'], query: '?seed=7' });
    const { page } = session;
    const photo = path.join(o.pictures, 'photo.png');
    await choose(page, photo);
    await page.waitForFunction(() => !document.querySelector('#make').disabled);
    const typeInto = async (selector, value) => {
      await page.click(selector, { clickCount: 3 });
      await page.keyboard.press('Backspace');
      await page.keyboard.sendCharacter(value);
    };
    await typeInto('#puzzle-set-name', '動物たち');
    await typeInto('#puzzle-name', '港の朝');
    await typeInto('#comment', '夜明けの港');
    await page.click('#colours input[value="1"]');  // blue
    await typeInto('#text1', '45');
    await typeInto('#text2', '20');
    await page.click('#make');
    const [made] = await waitForDownload(session);
    assert.equal(made.name, '港の朝.klv');
    const out = path.join(session.work, 'klvmake');
    execFileSync('mkdir', [out]);
    execFileSync(o.klvmake, [photo, '--fit', '--seed', '7', '--out', out, '--name', '港の朝',
                             '--set-name', '動物たち', '--comment', '夜明けの港', '--color', 'blue',
                             '--piece-density', '45', '--background-density', '20']);
    assert.ok(readFileSync(made.file).equals(readFileSync(path.join(out, '港の朝.klv'))),
              'the page\'s package differs from klvmake\'s');
    assert.ok((await text(page, '#message')).includes('港の朝.klv'));
    await session.close();
  },

  // The browser turns the photo upright by its EXIF orientation before the fit.
  async 'exif-upright'(o) {
    const session = await open(o.site, { query: '?seed=1' });
    const { page } = session;
    await choose(page, path.join(o.pictures, 'exif6.jpg'));
    await page.waitForFunction(() => !document.querySelector('#make').disabled);
    assert.equal(await text(page, '#status'), 'Pieces: x = 1 , y = 3');
    await page.click('#make');
    const [made] = await waitForDownload(session);
    const pkg = readPackage(readFileSync(made.file));
    assert.deepEqual([pkg.xMax, pkg.yMax], [1, 3]);
    // Tile (0, 0) holds the top-left corner whole, tile (2, 0) the bottom-left one.
    const top = bmpPixel(pkg.tiles[0], 8, 8);
    const bottom = bmpPixel(pkg.tiles[2], 8, 56);
    assert.ok(top.r > 200 && top.b < 60, `the top is not red: ${JSON.stringify(top)}`);
    assert.ok(bottom.b > 200 && bottom.r < 60, `the bottom is not blue: ${JSON.stringify(bottom)}`);
    await session.close();
  },

  // A damaged picture is refused with a message naming it; nothing is made.
  async 'damaged-file'(o) {
    const session = await open(o.site);
    const { page } = session;
    await choose(page, path.join(o.pictures, 'damaged.png'));
    await page.waitForFunction(() => document.querySelector('#message').textContent !== '');
    const message = await text(page, '#message');
    assert.ok(message.startsWith('Cannot read the picture\ndamaged.png: cannot read the picture'), message);
    assert.ok(await page.$eval('#message', (e) => e.classList.contains('failure')));
    assert.ok(await page.$eval('#make', (e) => e.disabled));
    await page.click('#make');
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.deepEqual(session.finished, []);
    await session.close();
  },

  // A package dropped on the page opens its information, and the trial play is complete
  // once every tile is dragged to its place (by mouse, the last one by touch).
  async 'package-trial-play'(o) {
    const out = mkdtempSync(path.join(tmpdir(), 'klv-web-package-'));
    execFileSync(o.klvmake, [path.join(o.pictures, 'exif6.jpg'), '--fit', '--seed', '3', '--out', out,
                             '--name', 'ネコ', '--color', 'green']);
    const bytes = readFileSync(path.join(out, 'ネコ.klv'));
    rmSync(out, { recursive: true, force: true });
    const session = await open(o.site, { languages: ['ja'] });
    const { page } = session;
    await page.evaluate((base64) => {
      const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const files = new DataTransfer();
      files.items.add(new File([data], 'ネコ.klv'));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: files, bubbles: true, cancelable: true }));
    }, bytes.toString('base64'));
    await page.waitForSelector('#package:not([hidden])');
    const row = (key) => page.$eval(`#info tr[data-key="${key}"] td`, (e) => e.textContent);
    assert.equal(await row('PuzzleName'), 'ネコ');
    assert.ok((await row('backColor')).includes('#00FF00'));
    assert.equal(await text(page, '#problems-heading'), '問題はありません');
    assert.equal(await text(page, '#placed'), 'はめたピース： 0 / 3');

    const canvas = await page.$('#trial');
    const box = await canvas.boundingBox();
    const scale = box.width / (await page.$eval('#trial', (e) => e.width));
    const at = (x, y) => ({ x: box.x + (x + 0.5) * scale, y: box.y + (y + 0.5) * scale });
    for (let step = 0; step < 12; ++step) {
      const before = await page.evaluate(() => window.klvPage.trialState());
      const loose = before.order.filter((entry) => !entry.placed);
      if (loose.length === 0) break;
      const top = loose[loose.length - 1];
      const press = at(top.x + 32, top.y + 32);
      const byTouch = loose.length === 1;
      if (byTouch) {
        await page.touchscreen.touchStart(press.x, press.y);
      } else {
        await page.mouse.move(press.x, press.y);
        await page.mouse.down();
      }
      const lifted = await page.evaluate(() => window.klvPage.trialState().order.at(-1));
      const taken = before.order.find((entry) => entry.tile === lifted.tile);
      const target = at(lifted.homeX + (top.x + 32 - taken.x), lifted.homeY + (top.y + 32 - taken.y));
      if (byTouch) {
        await page.touchscreen.touchMove(target.x, target.y);
        await page.touchscreen.touchEnd();
      } else {
        await page.mouse.move(target.x, target.y, { steps: 5 });
        await page.mouse.up();
      }
    }
    await page.waitForSelector('#complete:not([hidden])');
    assert.equal(await text(page, '#placed'), 'はめたピース： 3 / 3');
    assert.equal(await text(page, '#complete'), 'パズルが完成しました');
    await session.close();
  },
};

const o = options();
if (!cases[o.name]) {
  console.error(`usage: node browser_test.mjs {${Object.keys(cases).join('|')}} --site DIR --pictures DIR --klvmake PROGRAM`);
  process.exit(2);
}
await cases[o.name](o);
console.log(`${o.name}: passed`);
