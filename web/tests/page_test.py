#!/usr/bin/env python3
"""The web page in headless Chromium (Selenium with the system's chromium
and chromedriver), served cross-origin isolated (threads) or plain (one
thread):

  page_test.py stills SITE CAPTURE SHOW FPS [--plain]
      the still of each chosen frame, read back from the canvas, equals the
      frame of a lossless capture of the show at FPS (capture SHOW OUT.mkv
      --lossless --scale 1 --fps FPS), pixel for pixel
  page_test.py checks SITE [--plain]
      sound plays (the analyser sees signal, the audio clock advances), the
      show follows the clock, Escape returns to the menu, full screen,
      a missing data file is named
  page_test.py measure SITE [--plain] [--workers N] [--seconds S]
      plays each show and prints its frames per second per order position
      or timeline row (mean and 1 % low)
"""
import argparse
import base64
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from serve import serve  # noqa: E402

from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service as ChromeService  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402

WIDTH, HEIGHT = 640, 400


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run",
                 "--autoplay-policy=no-user-gesture-required", "--disable-dev-shm-usage",
                 f"--user-data-dir={profile}", "--window-size=1280,800"):
        options.add_argument(flag)
    service = ChromeService(executable_path=shutil.which("chromedriver") or "/usr/bin/chromedriver")
    return webdriver.Chrome(options=options, service=service)


def wait_state(driver, states, timeout=120):
    end = time.time() + timeout
    while time.time() < end:
        state = driver.execute_script("return document.documentElement.dataset.state")
        if state in states:
            return state
        time.sleep(0.05)
    raise AssertionError(f"the page stayed {state!r}, not {states}")


CANVAS_PIXELS = """
const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 400).data;
let text = '';
for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
return btoa(text);
"""


def canvas_rgb(driver):
    rgba = base64.b64decode(driver.execute_script(CANVAS_PIXELS))
    rgb = bytearray(WIDTH * HEIGHT * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return bytes(rgb)


def capture_frames(video, frames):
    """The frames (by number) of a video file as RGB bytes."""
    select = "+".join(f"eq(n\\,{k})" for k in frames)
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", video, "-vf", f"select={select}", "-vsync", "0",
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], check=True, capture_output=True).stdout
    size = WIDTH * HEIGHT * 3
    assert len(raw) == size * len(frames), f"{video} holds {len(raw) // size} of the frames {frames}"
    return {k: raw[i * size:(i + 1) * size] for i, k in enumerate(sorted(frames))}


def condemo_frames(site, fps):
    """The middle frame of every order position of condemo and its last
    frames, from the sync track."""
    starts, end = {0: 0}, None
    with open(os.path.join(site, "data", "condemo.sync")) as track:
        for line in list(track)[1:]:
            sample, kind, *value = line.split()
            if kind == "o":
                starts.setdefault(int(value[0]), int(sample))
            if kind == "e" or (kind == "o" and int(value[0]) >= 21):
                end = int(sample) if end is None else end
    orders = sorted(o for o in starts if o < 21)
    bounds = [starts[o] for o in orders] + [end]
    frames = {int((a + b) / 2 / 44100 * fps) for a, b in zip(bounds, bounds[1:])}
    last = int(end / 44100 * fps)
    frames |= {last - 1, last - 20}
    return sorted(frames)


def gldemo_frames(driver, base, fps):
    """The middle of every timeline row, and beats 60.5, 100.5 and 175.5, as
    frames (the rows from the page's module)."""
    driver.get(f"{base}?show=gldemo&fps={fps}&frame=0&still")
    wait_state(driver, ("still",))
    firsts = driver.execute_script("return window.kaltTimeline()") + [176]
    beats = [(a + b) / 2 for a, b in zip(firsts, firsts[1:]) if a < 176] + [60.5, 100.5, 175.5]
    return sorted({int(beat / 0.6 * fps) for beat in beats})


def stills(args):
    server = serve(args.site, isolated=not args.plain, background=True)
    base = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    differ = []
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            frames = condemo_frames(args.site, args.fps) if args.show == "condemo" else \
                gldemo_frames(driver, base, args.fps)
            expected = capture_frames(args.capture, frames)
            for k in frames:
                driver.get(f"{base}?show={args.show}&fps={args.fps}&frame={k}&still")
                state = wait_state(driver, ("still", "error"))
                assert state == "still", driver.find_element(By.ID, "message").text
                got = canvas_rgb(driver)
                if got != expected[k]:
                    wrong = sum(1 for i in range(0, len(got), 3) if got[i:i + 3] != expected[k][i:i + 3])
                    differ.append((k, wrong))
            isolated = driver.execute_script("return self.crossOriginIsolated")
        finally:
            driver.quit()
            server.shutdown()
    print(f"{args.show} at {args.fps} fps, {'isolated' if isolated else 'plain'}: {len(frames)} stills "
          f"compared, {len(differ)} differ")
    for k, wrong in differ:
        print(f"  frame {k}: {wrong} pixels differ")
    assert isolated == (not args.plain)
    return 1 if differ else 0


def order_starts(site):
    """condemo's order positions and the seconds at which each is first heard."""
    starts = {0: 0.0}
    with open(os.path.join(site, "data", "condemo.sync")) as track:
        for line in list(track)[1:]:
            sample, kind, *value = line.split()
            if kind == "o":
                starts.setdefault(int(value[0]), int(sample) / 44100)
    return starts


def status(driver):
    return driver.execute_script("return window.kaltStatus()")


def checks(args):
    starts = order_starts(args.site)
    server = serve(args.site, isolated=not args.plain, background=True)
    base = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    threads = 1 if args.plain else 2
    failures = []

    def check(ok, what):
        print(("ok    " if ok else "FAIL  ") + what)
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as profile, tempfile.TemporaryDirectory() as broken:
        driver = browser(profile)
        try:
            # Sound and clock: condemo from a second before order position 5.
            driver.get(f"{base}?show=condemo&from={starts[5] - 2.0:.3f}")
            check(wait_state(driver, ("playing", "error")) == "playing", "condemo plays")
            time.sleep(0.3)
            first, first_wall = status(driver), time.time()
            levels = []
            for _ in range(5):
                time.sleep(0.2)
                levels.append(status(driver)["level"])
            time.sleep(max(0.0, 3.0 - (time.time() - first_wall)))
            second, second_wall = status(driver), time.time()
            wall = second_wall - first_wall
            check(max(levels) > 0.01, f"the analyser sees the sound (loudest {max(levels):.3f})")
            check(second["audioSeconds"] - first["audioSeconds"] > 0.5 * wall, "the audio clock advances")
            check(abs((second["seconds"] - first["seconds"]) - wall) < 1.0,
                  f"the show clock follows it ({first['seconds']:.2f} s, then {second['seconds']:.2f} s, "
                  f"{wall:.2f} s apart)")

            def order_at(seconds):
                return max(o for o, start in starts.items() if start <= seconds)
            for st in (first, second):
                near = {order_at(st["seconds"] + d) for d in (-0.3, 0.0, 0.3)}
                check(st["position"] in near,
                      f"the order position follows the clock ({st['position']} at {st['seconds']:.2f} s)")
            if order_at(first["seconds"] + 0.3) < order_at(second["seconds"] - 0.3):
                check(first["position"] < second["position"], "the order position moved on")
            check(second["threads"] == threads, f"{second['threads']} threads render (page {'plain' if args.plain else 'isolated'})")
            check(second["fps"] > 0, f"{second['fps']} frames a second shown")
            ActionChains(driver).send_keys(Keys.ESCAPE).perform()
            check(wait_state(driver, ("menu",), 5) == "menu", "Escape returns to the start screen")
            # gldemo from the menu, full screen by a double-click and Alt+Enter.
            driver.find_element(By.ID, "play-gldemo").click()
            check(wait_state(driver, ("playing", "error")) == "playing", "gldemo plays from the start screen")
            time.sleep(1.0)
            beat = status(driver)
            check(beat["position"] <= 1 and 0.5 < beat["seconds"] < 8.0,
                  f"gldemo's clock runs (row {beat['position']} at {beat['seconds']:.2f} s)")
            ActionChains(driver).double_click(driver.find_element(By.ID, "screen")).perform()
            time.sleep(0.5)
            check(driver.execute_script("return document.fullscreenElement !== null"), "a double-click: full screen")
            ActionChains(driver).key_down(Keys.ALT).send_keys(Keys.ENTER).key_up(Keys.ALT).perform()
            time.sleep(0.5)
            check(driver.execute_script("return document.fullscreenElement === null"), "Alt+Enter: full screen ends")
            ActionChains(driver).send_keys(Keys.ESCAPE).perform()
            check(wait_state(driver, ("menu",), 5) == "menu", "Escape leaves gldemo")
            # A missing data file is named.
            shutil.copytree(args.site, broken, dirs_exist_ok=True)
            os.remove(os.path.join(broken, "data", "condemo.sync"))
            other = serve(broken, isolated=not args.plain, background=True)
            driver.get(f"http://127.0.0.1:{other.server_address[1]}/index.html?show=condemo&fps=10&frame=3&still")
            check(wait_state(driver, ("error", "still")) == "error", "a missing file: the page says error")
            text = driver.find_element(By.ID, "message").text
            check("data/condemo.sync" in text and "missing" in text, f"the message names it: {text!r}")
            other.shutdown()
        finally:
            driver.quit()
            server.shutdown()
    print(f"{len(failures)} checks failed")
    return 1 if failures else 0


def measure(args):
    """Plays a show on the page for its length (or --seconds) and prints the
    frames a second of each order position or timeline row: the time the
    page spends drawing a frame, as the native measurements count it."""
    server = serve(args.site, isolated=not args.plain, background=True)
    base = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    query = f"?show={args.show}" + (f"&workers={args.workers}" if args.workers else "")
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            driver.get(base + query)
            wait_state(driver, ("playing",))
            end = time.time() + args.seconds
            report = None
            while time.time() < end and driver.execute_script("return document.documentElement.dataset.state") \
                    == "playing":
                report = driver.execute_script("return window.kaltReport()") or report
                time.sleep(1.0)
        finally:
            driver.quit()
            server.shutdown()
    print(f"{args.show} on the page, {report['threads']} threads ({'plain' if args.plain else 'isolated'}), "
          f"load {os.getloadavg()[0]:.1f}")
    print(f"{report['unit']:>8} {'frames':>7} {'mean fps':>9} {'1% low':>8}")
    for row in report["rows"]:
        print(f"{row['position']:>8} {row['frames']:>7} {row['meanFps']:>9.1f} {row['lowFps']:>8.1f}")
    return 0


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    s = sub.add_parser("stills")
    s.add_argument("site")
    s.add_argument("capture")
    s.add_argument("show")
    s.add_argument("fps", type=int)
    s.add_argument("--plain", action="store_true")
    c = sub.add_parser("checks")
    c.add_argument("site")
    c.add_argument("--plain", action="store_true")
    m = sub.add_parser("measure")
    m.add_argument("site")
    m.add_argument("show")
    m.add_argument("--plain", action="store_true")
    m.add_argument("--workers", type=int, default=0)
    m.add_argument("--seconds", type=float, default=300.0)
    args = parser.parse_args()
    sys.exit({"stills": stills, "checks": checks, "measure": measure}[args.command](args))


if __name__ == "__main__":
    main()
