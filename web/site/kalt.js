// Kalt #20 in a web page: the start screen, the shows' modules (built from
// the programs' own sources), their sound and clocks, and a small interface
// for tests and automation:
//   index.html?show=condemo|gldemo&fps=F&frame=K&still   draws frame K of the
//       show at F frames a second, as `capture SHOW OUT.mkv --lossless
//       --scale 1 --fps F` writes its frame K, into <canvas id="screen">
//   index.html?show=NAME[&from=SECONDS][&workers=N]    plays (after a click
//       where the browser asks for one); &single: the module without threads
//   document.documentElement.dataset.state   menu, playing, still or error
//   #message                                 the text of an error
//   window.kaltStatus()   {show, state, seconds, fps, threads, position}
//   window.kaltTimeline() gldemo's timeline: the first beat of each row
//   window.kaltReport()   frames per second of each order position (condemo)
//                         or timeline row (gldemo): mean and 1 % low
'use strict';
(() => {
  const params = new URLSearchParams(location.search);
  const root = document.documentElement;
  const menu = document.getElementById('menu');
  const canvas = document.getElementById('screen');
  const fpsBox = document.getElementById('fps');
  const message = document.getElementById('message');
  const context2d = canvas.getContext('2d');
  const picture = context2d.createImageData(640, 400);
  const kBytes = 640 * 400 * 4;

  // The shows: their data files (in the order the module's kalt_data
  // numbers them), their sound, and what the position of a frame is.
  const shows = {
    condemo: {files: ['data/font.tga', 'data/condemo.sync'], sound: 'data/condemo.ogg', position: 'order'},
    gldemo: {files: ['data/font.tga', 'data/gradient.bin'], sound: 'data/gldemo.ogg', position: 'row',
      loopSeconds: 880 / 3},
  };
  const modules = {};  // loaded modules by show name
  let play = null;      // the show playing: {name, module, audio, ...}

  const setState = (state) => { root.dataset.state = state; };
  const say = (text) => { message.textContent = text; message.hidden = !text; };
  function fail(text) {
    stop();
    menu.hidden = true;
    say(text);
    setState('error');
  }

  // The canvas fills the window, scaled by any step, in whole pixels.
  function fit() {
    const scale = Math.min(innerWidth / 640, innerHeight / 400);
    canvas.style.width = `${Math.floor(640 * scale)}px`;
    canvas.style.height = `${Math.floor(400 * scale)}px`;
  }
  addEventListener('resize', fit);

  // What this browser runs: WebAssembly with SIMD128, threads where the page
  // is cross-origin isolated.
  function missingFeature() {
    if (typeof WebAssembly !== 'object') return 'This browser has no WebAssembly: the shows cannot run here.';
    // i32.const 0, i8x16.splat, i8x16.popcnt: valid only with SIMD128.
    const simd = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65,
      0, 253, 15, 253, 98, 11]);
    if (!WebAssembly.validate(simd)) return 'This browser\'s WebAssembly has no SIMD (128-bit vectors): the shows need it.';
    return null;
  }
  const threaded = () => self.crossOriginIsolated === true && !params.has('single');

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${src} is missing`));
      document.head.appendChild(script);
    });
  }

  async function fetchBytes(path) {
    let response;
    try {
      response = await fetch(path);
    } catch (e) {
      throw new Error(`${path} cannot be read (${e.message})`);
    }
    if (!response.ok) throw new Error(`${path} is missing (HTTP ${response.status})`);
    return new Uint8Array(await response.arrayBuffer());
  }

  // The show's module with its data handed over, ready to draw.
  async function openShow(name) {
    if (modules[name]) return modules[name];
    const file = threaded() ? name : `${name}-single`;
    await loadScript(`${file}.js`);
    const factory = window[`Kalt${name}`];
    const module = await factory({mainScriptUrlOrBlob: `${file}.js`});
    const show = shows[name];
    const data = await Promise.all(show.files.map(fetchBytes));
    data.forEach((bytes, index) => {
      const at = module._malloc(bytes.length);
      module.HEAPU8.set(bytes, at);
      module._kalt_data(index, at, bytes.length);
      module._free(at);
    });
    const cores = navigator.hardwareConcurrency || 1;
    const workers = threaded() ? Math.max(1, Math.min(2, Number(params.get('workers')) || cores)) : 1;
    const broken = module._kalt_open(workers);
    if (broken) throw new Error(`${show.files[broken - 1]} is broken: ${module.UTF8ToString(module._kalt_error())}`);
    module.name = name;
    modules[name] = module;
    return module;
  }

  function draw(module, at) {
    picture.data.set(module.HEAPU8.subarray(at, at + kBytes));
    context2d.putImageData(picture, 0, 0);
  }

  function showCanvas() {
    menu.hidden = true;
    canvas.hidden = false;
    fit();
  }

  async function still(name, fps, frame) {
    const module = await openShow(name);
    showCanvas();
    draw(module, module._kalt_still(fps, frame));
    setState('still');
  }

  // The sound, and its clock: the seconds of the show being heard (the
  // context's time less its output latency).
  async function openSound(name, from) {
    const audio = new AudioContext({sampleRate: 44100});
    const bytes = await fetchBytes(shows[name].sound);
    let buffer;
    try {
      buffer = await audio.decodeAudioData(bytes.buffer);
    } catch (e) {
      audio.close();
      throw new Error(`${shows[name].sound} is broken: it does not decode (${e.message || e})`);
    }
    // gldemo's music starts again every loop, after silence from its end.
    if (shows[name].loopSeconds) {
      const frames = Math.round(shows[name].loopSeconds * buffer.sampleRate);
      const loop = audio.createBuffer(buffer.numberOfChannels, frames, buffer.sampleRate);
      for (let c = 0; c < buffer.numberOfChannels; ++c)
        loop.copyToChannel(buffer.getChannelData(c).subarray(0, frames), c);
      buffer = loop;
    }
    const analyser = audio.createAnalyser();
    analyser.fftSize = 2048;
    analyser.connect(audio.destination);
    return {name, audio, buffer, analyser, from, source: null, start: 0};
  }

  function startSound(sound) {
    sound.source = sound.audio.createBufferSource();
    sound.source.buffer = sound.buffer;
    sound.source.loop = Boolean(shows[sound.name].loopSeconds);
    sound.source.connect(sound.analyser);
    sound.start = sound.audio.currentTime + 0.05;
    sound.source.start(sound.start, sound.from % sound.buffer.duration);
  }
  const heardSeconds = (sound) =>
    Math.max(0, sound.from + sound.audio.currentTime - (sound.audio.outputLatency || 0) - sound.start);

  async function start(name, from = 0) {
    say('');
    setState('loading');
    const module = await openShow(name);
    const sound = await openSound(name, from);
    module._kalt_restart();
    play = {name, module, sound, frames: 0, seconds: 0, times: new Map(), recent: [], position: 0, raf: 0};
    if (sound.audio.state !== 'running') await sound.audio.resume().catch(() => {});
    if (sound.audio.state !== 'running') {
      say('Click to start');
      await new Promise((resolve) => {
        const go = () => { removeEventListener('pointerdown', go); removeEventListener('keydown', go); resolve(); };
        addEventListener('pointerdown', go);
        addEventListener('keydown', go);
      });
      await sound.audio.resume();
      say('');
    }
    startSound(sound);
    showCanvas();
    setState('playing');
    play.raf = requestAnimationFrame(frame);
  }

  // One frame of the playing show at its clock.
  function frame() {
    const p = play;
    if (!p) return;
    const seconds = heardSeconds(p.sound);
    const began = performance.now();
    draw(p.module, p.module._kalt_frame(seconds));
    const took = (performance.now() - began) / 1000;
    p.seconds = seconds;
    p.frames += 1;
    p.position = p.module._kalt_position();
    if (!p.times.has(p.position)) p.times.set(p.position, []);
    p.times.get(p.position).push(took);
    p.recent.push(performance.now());
    while (p.recent.length > 1 && p.recent[0] < performance.now() - 1000) p.recent.shift();
    if (!fpsBox.hidden) fpsBox.textContent = `${p.recent.length} fps, ${(1 / took).toFixed(0)} drawn`;
    if (p.module._kalt_escape() || p.module._kalt_ended()) {
      leave();
      return;
    }
    p.raf = requestAnimationFrame(frame);
  }

  function stop() {
    if (!play) return;
    cancelAnimationFrame(play.raf);
    play.sound.audio.close();
    play = null;
  }

  function leave() {
    stop();
    canvas.hidden = true;
    menu.hidden = false;
    say('');
    setState('menu');
    if (params.has('show')) history.replaceState(null, '', location.pathname);
  }

  // Frames a second over a stretch: frames / total time, and the 1 % low
  // (the mean time of the slowest 1 %, at least one frame) as a rate.
  function summarise(times) {
    const sorted = [...times].sort((a, b) => b - a);
    const total = sorted.reduce((a, b) => a + b, 0);
    const slowest = Math.max(1, Math.floor(sorted.length / 100));
    const low = sorted.slice(0, slowest).reduce((a, b) => a + b, 0) / slowest;
    return {frames: sorted.length, meanFps: sorted.length / total, lowFps: 1 / low};
  }

  window.kaltStatus = () => ({
    show: play ? play.name : params.get('show'),
    state: root.dataset.state,
    seconds: play ? play.seconds : 0,
    fps: play ? play.recent.length : 0,
    threads: play ? play.module._kalt_workers() : 0,
    position: play ? play.position : 0,
    level: play ? level(play.sound.analyser) : 0,
    audioSeconds: play ? play.sound.audio.currentTime : 0,
  });
  window.kaltReport = () => {
    if (!play) return null;
    const rows = [...play.times.entries()].sort((a, b) => a[0] - b[0])
      .map(([position, times]) => ({position, ...summarise(times)}));
    return {show: play.name, threads: play.module._kalt_workers(), unit: shows[play.name].position, rows};
  };
  window.kaltTimeline = () => {
    const module = modules.gldemo;
    return module ? Array.from({length: module._kalt_rows()}, (_, i) => module._kalt_row_first(i)) : null;
  };
  // The loudest sample the analyser sees now.
  function level(analyser) {
    const samples = new Float32Array(analyser.fftSize);
    analyser.getFloatTimeDomainData(samples);
    return samples.reduce((m, v) => Math.max(m, Math.abs(v)), 0);
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else root.requestFullscreen().catch(() => {});
  }
  addEventListener('keydown', (event) => {
    if (event.key === 'F11' || (event.key === 'Enter' && event.altKey)) {
      event.preventDefault();
      toggleFullScreen();
      return;
    }
    if (event.key === 'f' || event.key === 'F') fpsBox.hidden = !fpsBox.hidden;
    if (!play) return;
    // Keys go to the show's display as code page 437 codes.
    const code = event.key === 'Escape' ? 27 : event.key === 'Enter' ? 13 : event.key.length === 1 ?
      event.key.charCodeAt(0) : 0;
    if (code > 0 && code < 128) play.module._kalt_key(code);
  });
  canvas.addEventListener('dblclick', toggleFullScreen);
  for (const button of menu.querySelectorAll('button'))
    button.addEventListener('click', () => start(button.dataset.show).catch((e) => fail(e.message)));

  const feature = missingFeature();
  const name = params.get('show');
  if (feature) {
    fail(feature);
  } else if (name && !shows[name]) {
    fail(`There is no show "${name}": condemo or gldemo.`);
  } else if (name && params.has('still')) {
    const fps = Number(params.get('fps')) || 60;
    const k = Number(params.get('frame')) || 0;
    still(name, fps, k).catch((e) => fail(e.message));
  } else if (name) {
    start(name, Math.max(0, Number(params.get('from')) || 0)).catch((e) => fail(e.message));
  }
})();
