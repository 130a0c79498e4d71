// The web page's script, appended to Emscripten's loader of klvmaker.wasm (--post-js): a
// thin view. The browser decodes the photo and draws; every rule (the texts and their
// language, the byte limits of the boxes, the density boxes, the fit, the grid, the make,
// the package's information and the trial play) is the module's, the maker's own C++.
(() => {
  'use strict';

  const $ = (id) => document.getElementById(id);
  const kPhotoView = { width: 560, height: 420 };  // the largest the photo is shown
  let texts = {};
  let rules = {};
  let seed = null;     // ?seed=N: the make is seeded as klvmake --seed N seeds it
  let photo = null;    // {name, width, height, thumb: canvas, scale}
  let crop = null;     // {x, y, width, height} in the photo's pixels, or null: all of it
  let view = null;     // the module's view of the fit
  let trial = null;    // {tiles: [canvas], base: canvas or null}

  function format(text, ...args) {
    return text.replace(/%([1-9])/g, (all, n) => (n <= args.length ? String(args[n - 1]) : all));
  }

  function say(message, failure) {
    const line = $('message');
    line.textContent = message;
    line.classList.toggle('failure', Boolean(failure));
  }

  function hex(rgb) {
    return '#' + rgb.toString(16).padStart(6, '0');
  }

  // ?seed=N, a whole number from 0 to 4294967295; anything else is ignored.
  function readSeed() {
    const text = new URLSearchParams(location.search).get('seed');
    if (text === null || !/^[0-9]{1,10}$/.test(text) || Number(text) > 4294967295) return null;
    return Number(text);
  }

  // ---- The boxes: the byte limits of code page 932 as the person types, as the window's.

  function limitBox(box, limit, lineBreakBytes) {
    let before = box.value;
    let composing = false;
    const apply = () => {
      const kept = Module.limitEdit(before, box.value, limit, lineBreakBytes);
      if (kept.text !== box.value) {
        box.value = kept.text;
        box.setSelectionRange(kept.cursor, kept.cursor);
      }
      before = box.value;
    };
    box.addEventListener('compositionstart', () => { composing = true; });
    box.addEventListener('compositionend', () => { composing = false; apply(); });
    box.addEventListener('input', () => { if (!composing) apply(); });
    box.setValue = (text) => { box.value = text; before = text; };
  }

  // A density box shows 100 minus its slider; typing a whole number 0 to 100 moves it.
  function coupleDensity(box, slider, start) {
    let before = String(100 - start);
    slider.value = String(start);
    box.value = before;
    slider.addEventListener('input', () => { box.value = before = String(100 - slider.value); });
    box.addEventListener('input', () => {
      if (!Module.isDensityText(box.value)) {
        box.value = before;
        return;
      }
      before = box.value;
      if (box.value !== '') slider.value = String(100 - Number(box.value));
    });
    box.addEventListener('blur', () => { box.value = before = String(100 - slider.value); });
  }

  function buildColours() {
    const group = $('colours');
    rules.colours.forEach((rgb, index) => {
      const label = document.createElement('label');
      const option = document.createElement('input');
      option.type = 'radio';
      option.name = 'colour';
      option.value = String(index);
      option.checked = index === rules.startColour;
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = hex(rgb);
      label.append(option, swatch, texts['colour' + index]);
      group.append(label);
    });
  }

  // ---- The photo: decoded by the browser, its pixels handed to the module.

  async function openFile(file) {
    if (!file) return;
    try {
      const head = new Uint8Array(await file.slice(0, 64).arrayBuffer());
      if (Module.beginsAsPackage(head)) {
        openPackage(file.name, new Uint8Array(await file.arrayBuffer()));
        return;
      }
      await openPhoto(file);
    } catch (error) {
      // A picture the browser cannot decode, a file that cannot be read (removed
      // meanwhile, say), or memory running out.
      delete document.body.dataset.busy;
      say(Module.pictureRefusal(file.name, error.message || String(error)), true);
    }
  }

  // A picture the browser cannot decode changes nothing (openFile says why): the photo,
  // the grid, the status line and the make button stay as they were.
  async function openPhoto(file) {
    document.body.dataset.busy = 'true';
    performance.mark('klv-photo-chosen');
    const bitmap = await createImageBitmap(file, {
      colorSpaceConversion: 'none',
      premultiplyAlpha: 'none',
      imageOrientation: 'from-image',
    });
    try {
      takePixels(file.name, bitmap);
    } finally {
      bitmap.close();
      delete document.body.dataset.busy;
    }
    performance.mark('klv-photo-ready');
  }

  // Copies the bitmap's straight-alpha pixels into the module in bands of rows, so that no
  // second copy of the whole photo is made, and keeps a small picture of it to draw.
  function takePixels(name, bitmap) {
    const width = bitmap.width;
    const height = bitmap.height;
    const room = Module.newPhoto(width, height);
    if (room.pointer === undefined) {
      photo = null;
      showPhoto();
      say(Module.pictureRefusal(name, room.cause), true);
      return;
    }
    const band = Math.max(1, Math.min(height, Math.floor((1 << 22) / width)));
    const canvas = new OffscreenCanvas(width, band);
    const context = canvas.getContext('2d', { willReadFrequently: true });
    for (let top = 0; top < height; top += band) {
      const rows = Math.min(band, height - top);
      context.clearRect(0, 0, width, band);
      context.drawImage(bitmap, 0, top, width, rows, 0, 0, width, rows);
      const pixels = context.getImageData(0, 0, width, rows).data;
      HEAPU8.set(pixels, room.pointer + top * width * 4);
    }
    Module.finishPhoto();

    const scale = Math.min(1, kPhotoView.width / width, kPhotoView.height / height);
    const thumb = document.createElement('canvas');
    thumb.width = Math.max(1, Math.round(width * scale));
    thumb.height = Math.max(1, Math.round(height * scale));
    const drawn = thumb.getContext('2d');
    drawn.fillStyle = '#fff';  // transparent parts lie over white, as in the puzzle
    drawn.fillRect(0, 0, thumb.width, thumb.height);
    drawn.drawImage(bitmap, 0, 0, thumb.width, thumb.height);
    photo = { name, width, height, thumb, scale: thumb.width / width };
    crop = null;
    $('puzzle-name').setValue(Module.proposeName(name));
    say('');
    showPhoto();
  }

  // The photo with the part the puzzle takes, its grid of 32-pixel cells and the shaded
  // margin the fit cuts away; the status line and the make button follow the module.
  function showPhoto() {
    const canvas = $('photo');
    canvas.hidden = $('crop-bar').hidden = !photo;
    $('crop-clear').hidden = !crop;
    if (!photo) {
      view = null;
      $('status').textContent = texts.statusAtStart;
      $('make').disabled = true;
      return;
    }
    view = Module.viewPhoto(crop);
    $('status').textContent = view.status;
    $('make').disabled = !view.usable;
    canvas.width = photo.thumb.width;
    canvas.height = photo.thumb.height;
    const context = canvas.getContext('2d');
    context.drawImage(photo.thumb, 0, 0);
    if (!view.usable) return;
    const s = photo.scale;
    const x = view.keptX * s;
    const y = view.keptY * s;
    const w = view.keptWidth * s;
    const h = view.keptHeight * s;
    context.fillStyle = 'rgba(0, 0, 0, 0.5)';
    context.fillRect(0, 0, canvas.width, y);
    context.fillRect(0, y + h, canvas.width, canvas.height - y - h);
    context.fillRect(0, y, x, h);
    context.fillRect(x + w, y, canvas.width - x - w, h);
    context.strokeStyle = 'rgba(255, 255, 255, 0.8)';
    context.lineWidth = 1;
    context.beginPath();
    for (let i = 0; i <= view.columns; ++i) {
      const at = Math.round(x + i * view.cellWidth * s) + 0.5;
      context.moveTo(at, y);
      context.lineTo(at, y + h);
    }
    for (let i = 0; i <= view.rows; ++i) {
      const at = Math.round(y + i * view.cellHeight * s) + 0.5;
      context.moveTo(x, at);
      context.lineTo(x + w, at);
    }
    context.stroke();
  }

  // A crop drawn on the photo: press, drag, release. A press without a drag keeps the crop.
  function watchCrop() {
    const canvas = $('photo');
    let start = null;
    const point = (event) => {
      const box = canvas.getBoundingClientRect();
      const x = ((event.clientX - box.left) * canvas.width) / box.width / photo.scale;
      const y = ((event.clientY - box.top) * canvas.height) / box.height / photo.scale;
      return { x: Math.min(Math.max(x, 0), photo.width), y: Math.min(Math.max(y, 0), photo.height) };
    };
    const cropTo = (end) => {
      const x = Math.round(Math.min(start.x, end.x));
      const y = Math.round(Math.min(start.y, end.y));
      const width = Math.round(Math.max(start.x, end.x)) - x;
      const height = Math.round(Math.max(start.y, end.y)) - y;
      return width >= 1 && height >= 1 ? { x, y, width, height } : null;
    };
    canvas.addEventListener('pointerdown', (event) => {
      if (!photo || event.button !== 0) return;
      start = point(event);
      canvas.setPointerCapture(event.pointerId);
    });
    canvas.addEventListener('pointermove', (event) => {
      if (!start) return;
      const drawn = cropTo(point(event));
      if (!drawn) return;
      crop = drawn;
      showPhoto();
    });
    const finish = (event) => {
      if (!start) return;
      const drawn = cropTo(point(event));
      start = null;
      if (drawn) crop = drawn;
      showPhoto();
    };
    canvas.addEventListener('pointerup', finish);
    canvas.addEventListener('pointercancel', finish);
    $('crop-clear').addEventListener('click', () => {
      crop = null;
      showPhoto();
    });
  }

  // ---- The make: the package comes back as bytes and is downloaded.

  function make() {
    if (!photo || !view || !view.usable) return;
    const colour = document.querySelector('input[name=colour]:checked');
    const made = Module.make({
      puzzleSetName: $('puzzle-set-name').value,
      puzzleName: $('puzzle-name').value,
      comment: $('comment').value,
      colour: Number(colour ? colour.value : rules.startColour),
      slider1: Number($('slider1').value),
      slider2: Number($('slider2').value),
      seed,
      crop,
    });
    if (!made.bytes) {
      say(made.message, true);
      return;
    }
    const url = URL.createObjectURL(new Blob([made.bytes], { type: 'application/octet-stream' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = made.fileName;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    performance.mark('klv-package-ready');
    say(made.message + '\n' + format(texts.downloaded, made.fileName));
  }

  // ---- A package: its information and the trial play.

  function canvasOf(picture) {
    const canvas = document.createElement('canvas');
    canvas.width = picture.width;
    canvas.height = picture.height;
    if (picture.width > 0 && picture.height > 0) {
      const pixels = new ImageData(new Uint8ClampedArray(picture.pixels), picture.width, picture.height);
      canvas.getContext('2d').putImageData(pixels, 0, 0);
    }
    return canvas;
  }

  function openPackage(name, bytes) {
    const opened = Module.openPackage(bytes, name);
    if (!opened || opened.message) {
      say(opened ? opened.message : Module.pictureRefusal(name, 'not a puzzle package'), true);
      return;
    }
    const table = $('info');
    table.replaceChildren();
    for (const row of opened.rows) {
      const line = table.insertRow();
      line.dataset.key = row.key;
      const label = document.createElement('th');
      label.textContent = row.label;
      const value = line.insertCell();
      value.textContent = row.value;
      if (row.key === 'backColor') {
        const swatch = document.createElement('span');
        swatch.className = 'swatch';
        swatch.style.background = row.value;
        value.prepend(swatch, ' ');
      }
      line.prepend(label);
    }
    $('problems-heading').textContent = opened.problemsHeading;
    $('problems').replaceChildren(...opened.problems.map((text) => {
      const item = document.createElement('li');
      item.textContent = text;
      return item;
    }));
    trial = { base: opened.base ? canvasOf(opened.base) : null, tiles: opened.tiles.map(canvasOf) };
    $('maker').hidden = true;
    $('package').hidden = false;
    say('');
    drawTrial();
  }

  function closePackage() {
    Module.closePackage();
    trial = null;
    $('package').hidden = true;
    $('maker').hidden = false;
  }

  function drawTrial() {
    const state = Module.trialState();
    const canvas = $('trial');
    if (canvas.width !== state.tableWidth || canvas.height !== state.tableHeight) {
      canvas.width = state.tableWidth;
      canvas.height = state.tableHeight;
    }
    const context = canvas.getContext('2d');
    context.clearRect(0, 0, canvas.width, canvas.height);
    context.fillStyle = '#fff';
    context.fillRect(0, 0, state.boardWidth, state.boardHeight);
    if (trial.base) context.drawImage(trial.base, 0, 0);
    context.fillStyle = '#e4e4ea';
    const scatterLeft = state.boardWidth + 24;
    context.fillRect(scatterLeft, 0, state.tableWidth - scatterLeft, state.tableHeight);
    for (const entry of state.order) context.drawImage(trial.tiles[entry.tile], entry.x, entry.y);
    $('placed').textContent = format(texts.placed, state.placed, state.count);
    $('complete').hidden = !state.complete;
    document.body.dataset.complete = String(state.complete);
  }

  // A press takes the tile under it, a move carries it, a release drops it: mouse, pen or
  // touch alike.
  function watchTrial() {
    const canvas = $('trial');
    let dragged = -1;
    let grab = { x: 0, y: 0 };
    const point = (event) => {
      const box = canvas.getBoundingClientRect();
      return {
        x: Math.round(((event.clientX - box.left) * canvas.width) / box.width),
        y: Math.round(((event.clientY - box.top) * canvas.height) / box.height),
      };
    };
    canvas.addEventListener('pointerdown', (event) => {
      if (!trial || event.button !== 0) return;
      const at = point(event);
      dragged = Module.takeTile(at.x, at.y);
      if (dragged < 0) return;
      const taken = Module.trialState().order.find((entry) => entry.tile === dragged);
      grab = { x: at.x - taken.x, y: at.y - taken.y };
      canvas.setPointerCapture(event.pointerId);
      drawTrial();
    });
    canvas.addEventListener('pointermove', (event) => {
      if (dragged < 0) return;
      const at = point(event);
      Module.moveTile(dragged, at.x - grab.x, at.y - grab.y);
      drawTrial();
    });
    const drop = (event) => {
      if (dragged < 0) return;
      const at = point(event);
      Module.dropTile(dragged, at.x - grab.x, at.y - grab.y);
      dragged = -1;
      drawTrial();
    };
    canvas.addEventListener('pointerup', drop);
    canvas.addEventListener('pointercancel', drop);
    $('scatter').addEventListener('click', () => {
      Module.scatter();
      drawTrial();
    });
    $('back').addEventListener('click', closePackage);
  }

  // ---- Start: the language, the texts and the form's start values, then the events.

  function start() {
    const lang = Module.chooseLanguage(navigator.languages ? [...navigator.languages] : [navigator.language]);
    document.documentElement.lang = lang;
    texts = Module.texts();
    rules = Module.formRules();
    seed = readSeed();
    document.title = texts.title;
    for (const element of document.querySelectorAll('[data-text]')) {
      element.textContent = texts[element.dataset.text];
    }
    limitBox($('puzzle-set-name'), rules.byteLimits.puzzleSetName, 1);
    limitBox($('puzzle-name'), rules.byteLimits.puzzleName, 1);
    // A line break of the comment is CR LF in the package's code page.
    limitBox($('comment'), rules.byteLimits.comment, 2);
    $('puzzle-set-name').setValue(texts.defaultPuzzleSetName);
    $('puzzle-name').setValue(texts.defaultPuzzleName);
    $('comment').setValue(texts.defaultComment);
    coupleDensity($('text1'), $('slider1'), rules.slider1);
    coupleDensity($('text2'), $('slider2'), rules.slider2);
    buildColours();
    watchCrop();
    watchTrial();

    const chooser = $('file');
    chooser.addEventListener('change', () => {
      openFile(chooser.files[0]);
      chooser.value = '';
    });
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      document.body.classList.add('over');
    });
    document.addEventListener('dragleave', (event) => {
      if (event.relatedTarget === null) document.body.classList.remove('over');
    });
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      document.body.classList.remove('over');
      if (trial) closePackage();
      openFile(event.dataTransfer.files[0]);
    });
    $('make').addEventListener('click', make);
    chooser.disabled = false;
    document.body.dataset.ready = 'true';
  }

  Module.onRuntimeInitialized = start;
  // What the tests read back: the trial play's tiles, where they are and where they go.
  window.klvPage = { trialState: () => Module.trialState() };
})();
