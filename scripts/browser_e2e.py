#!/usr/bin/python3
"""One real run of the browser hand-over, from Chromium to a running task.

A headless Chromium (Debian's chromium and chromium-driver, driven by
python3-selenium) loads Zavelon's unpacked extension and opens a page of a
loopback site. The extension's own context-menu handler is then called in its
service worker, as the menu entry "Download Images by Zavelon" would call it,
with a link of that page. The extension asks the native-messaging host
(registered by "zavelon -REGSERVER"), the host starts Zavelon under Xvfb, its
"New Task" window opens with the link and is confirmed with the keyboard
(xdotool), and the task must run and save the site's pictures. The answer the
extension received must say the task runs, and its toolbar button "OK".
Then, with the host's entries removed ("zavelon -UNREGSERVER"), the handler
must answer that Zavelon cannot be reached and show "!".

Everything happens under a temporary $HOME, config, data and runtime folder;
nothing but loopback addresses is reached. Exit 0 when the run worked.

    browser_e2e.py --program build/src/zavelon --extension resources/browser
"""

import argparse
import glob
import http.server
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websocket
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

EXTENSION_ID = "dmeeibcbphepcifclhlodmohokkgbfdi"
MENU_ID = "zavelon-download"
PICTURES = {"a.jpg": 24000, "b.jpg": 31000}


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def wait_for(what, check, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    raise RuntimeError(f"timed out after {timeout} s waiting for {what}")


def make_user(root):
    """A user of our own: home, config, data and runtime folders."""
    user = {
        "HOME": os.path.join(root, "user"),
        "XDG_CONFIG_HOME": os.path.join(root, "user", ".config"),
        "XDG_DATA_HOME": os.path.join(root, "user", ".local", "share"),
        "XDG_RUNTIME_DIR": os.path.join(root, "run"),
    }
    for folder in user.values():
        os.makedirs(folder, exist_ok=True)
    os.chmod(user["XDG_RUNTIME_DIR"], 0o700)
    os.environ.update(user)
    os.environ.pop("ZAVELON_HOME", None)
    os.environ.pop("WAYLAND_DISPLAY", None)
    os.environ["QT_QPA_PLATFORM"] = "xcb"


def write_settings(home):
    """A window large enough to look at, and no tip of the day."""
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, "registry.reg"), "w", encoding="utf-8") as store:
        store.write("REGEDIT4\n\n"
                    "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Window]\n"
                    '"Left"=dword:00000000\n"Top"=dword:00000000\n'
                    '"Width"=dword:000003e8\n"Height"=dword:000002bc\n'
                    '"State"=dword:00000000\n"ShowMinPrompt"=dword:00000000\n'
                    '"TipIndex"=dword:00000000\n"ShowTip"=dword:00000000\n')


def start_xvfb():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        display = pipe.readline().strip()
    if not display:
        raise RuntimeError("Xvfb did not start")
    os.environ["DISPLAY"] = f":{display}"
    return xvfb


def start_site(folder):
    with open(os.path.join(folder, "index.html"), "w", encoding="utf-8") as page:
        page.write('<html><body><a id="gallery" href="gallery/">Gallery</a></body></html>\n')
    os.makedirs(os.path.join(folder, "gallery"))
    with open(os.path.join(folder, "gallery", "index.html"), "w", encoding="utf-8") as page:
        page.write("<html><body>" + "".join(f'<a href="{name}"><img src="{name}"></a>' for name in PICTURES)
                   + "</body></html>\n")
    for name, size in PICTURES.items():
        with open(os.path.join(folder, "gallery", name), "wb") as picture:
            picture.write(os.urandom(size))

    class Quiet(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=folder, **kwargs)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Quiet)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def answer_new_task(result, screenshots):
    """Waits for Zavelon's "New Task" window and confirms it with Enter."""
    try:
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^New Task$"],
                                capture_output=True, text=True, timeout=90).stdout.split()[0]
        time.sleep(0.5)  # the window takes the focus it is given
        if screenshots:
            subprocess.run(["import", "-window", "root", os.path.join(screenshots, "new-task.png")], check=False)
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=20)
        subprocess.run(["xdotool", "key", "--clearmodifiers", "Return"], check=True, timeout=20)
        result["answered"] = True
    except Exception as error:  # reported by the main thread
        result["error"] = repr(error)


def evaluate_in_service_worker(address, expression, timeout):
    def worker():
        for target in json.load(urllib.request.urlopen(f"http://{address}/json/list")):
            if target["type"] == "service_worker" and EXTENSION_ID in target["url"]:
                return target
        return None

    target = wait_for("the extension's service worker", worker, 30)
    socket = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=timeout, suppress_origin=True)
    try:
        socket.send(json.dumps({"id": 1, "method": "Runtime.evaluate",
                                "params": {"expression": expression, "awaitPromise": True, "returnByValue": True}}))
        while True:
            message = json.loads(socket.recv())
            if message.get("id") == 1:
                break
    finally:
        socket.close()
    result = message.get("result", {})
    if "exceptionDetails" in result:
        raise RuntimeError(f"the handler failed: {json.dumps(result['exceptionDetails'])}")
    return result.get("result", {}).get("value")


def zavelon_pid(runtime):
    for lock in glob.glob(os.path.join(runtime, "zavelon", "home-*.lock")):
        with open(lock, encoding="utf-8", errors="replace") as text:
            first = text.readline().strip()
        if first.isdigit():
            return int(first)
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--extension", required=True)
    parser.add_argument("--screenshots", help="a folder for screenshots of the display")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folders and say where")
    arguments = parser.parse_args()
    program = os.path.abspath(arguments.program)
    extension = os.path.abspath(arguments.extension)
    screenshots = os.path.abspath(arguments.screenshots) if arguments.screenshots else None
    if screenshots:
        os.makedirs(screenshots, exist_ok=True)

    started = time.monotonic()
    root = tempfile.mkdtemp(prefix="zavelon-browser-")
    make_user(root)
    home = os.path.join(root, "zavelon home") + "/"
    write_settings(home)
    xvfb = start_xvfb()
    os.makedirs(os.path.join(root, "site"))
    site = start_site(os.path.join(root, "site"))
    base = f"http://127.0.0.1:{site.server_address[1]}"
    driver = None
    failure = None
    try:
        subprocess.run([program, "-REGSERVER", "--home", home], check=True, timeout=60)
        log(f"host registered; site {base}; display {os.environ['DISPLAY']}")

        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        for flag in ["--headless=new", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--no-default-browser-check", "--remote-debugging-port=0",
                     # The profile under the config folder: there Chromium
                     # looks for the host manifests.
                     f"--user-data-dir={os.environ['XDG_CONFIG_HOME']}/chromium",
                     f"--load-extension={extension}", f"--disable-extensions-except={extension}"]:
            options.add_argument(flag)
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")
        driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                                  options=options)
        driver.get(f"{base}/")
        link = driver.find_element("id", "gallery").get_attribute("href")
        log(f"page open, link {link}")

        answer = {}
        answering = threading.Thread(target=answer_new_task, args=(answer, screenshots), daemon=True)
        answering.start()
        info = json.dumps({"menuItemId": MENU_ID, "linkUrl": link, "pageUrl": f"{base}/", "editable": False})
        reply = evaluate_in_service_worker(driver.capabilities["goog:chromeOptions"]["debuggerAddress"],
                                           f"handleMenuClick({info}, {{id: 1}})", 120)
        answering.join(timeout=5)
        log(f"the extension's answer: {reply}")
        if answer.get("error"):
            raise RuntimeError(f"the New Task window was not answered: {answer['error']}")
        if not reply or reply.get("result") != "started":
            raise RuntimeError(f"the task was not started: {reply}")

        # A task from the browser keeps the default save folder until its
        # name is edited in the window.
        saved = os.path.join(home, "Images", "Downloaded Files")

        def all_saved():
            found = {os.path.basename(p) for p in glob.glob(os.path.join(saved, "**", "*.jpg"), recursive=True)}
            return found == set(PICTURES)

        wait_for("the pictures to be saved", all_saved, 60)
        projects = glob.glob(os.path.join(home, "Images", "Projects", "*.wrp"))
        log(f"task file {projects}, pictures saved: {sorted(PICTURES)}")
        if screenshots:
            time.sleep(1)
            subprocess.run(["import", "-window", "root", os.path.join(screenshots, "after-run.png")], check=False)
        badge = evaluate_in_service_worker(driver.capabilities["goog:chromeOptions"]["debuggerAddress"],
                                           "chrome.action.getBadgeText({})", 20)
        if badge != "OK":
            raise RuntimeError(f"the toolbar button shows {badge!r}, not OK")

        # Without the host's manifests the extension says it cannot reach
        # Zavelon, on its button and in its answer.
        subprocess.run([program, "-UNREGSERVER"], check=True, timeout=60)
        reply = evaluate_in_service_worker(driver.capabilities["goog:chromeOptions"]["debuggerAddress"],
                                           f"handleMenuClick({info}, {{id: 1}})", 60)
        log(f"the extension's answer without the host: {reply}")
        if not reply or reply.get("result") != "error" or "could not be reached" not in reply.get("message", ""):
            raise RuntimeError(f"a missing host was not reported: {reply}")
        badge = evaluate_in_service_worker(driver.capabilities["goog:chromeOptions"]["debuggerAddress"],
                                           "chrome.action.getBadgeText({})", 20)
        if badge != "!":
            raise RuntimeError(f"the toolbar button shows {badge!r}, not !")
    except Exception as error:
        failure = error
        if screenshots:
            subprocess.run(["import", "-window", "root", os.path.join(screenshots, "failure.png")], check=False)
    finally:
        if driver:
            driver.quit()
        pid = zavelon_pid(os.environ["XDG_RUNTIME_DIR"])
        if pid:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        site.shutdown()
        xvfb.terminate()
        xvfb.wait()
        if arguments.keep:
            log(f"kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)
    took = time.monotonic() - started
    if failure:
        log(f"FAILED after {took:.0f} s: {failure}")
        return 1
    log(f"PASSED in {took:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
