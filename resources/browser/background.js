// Zavelon's browser extension (Chromium and Firefox). The context-menu entry
// "Download Images by Zavelon" on links and pictures hands the address to
// Zavelon through its native-messaging host ("zavelon --native-host"), which
// opens Zavelon's New Task window with it. The answer shows on the toolbar
// button; a refusal or an error also as a notification.
"use strict";

const HOST_NAME = "org.zavelon.zavelon";
const MENU_ID = "zavelon-download";
const api = globalThis.browser ?? globalThis.chrome;

async function createMenu() {
  // Menus outlive a restart of the background; made anew, never twice.
  await api.contextMenus.removeAll();
  api.contextMenus.create({
    id: MENU_ID,
    title: "Download Images by Zavelon",
    contexts: ["link", "image"],
    targetUrlPatterns: ["http://*/*", "https://*/*"],
  });
}

api.runtime.onInstalled.addListener(createMenu);
api.runtime.onStartup.addListener(createMenu);

// The address of what was right-clicked: a link's target (for a picture
// inside a link too, which usually leads to the larger picture or its
// gallery), else the picture's own address.
function chosenAddress(info) {
  return info.linkUrl || info.srcUrl || "";
}

// Sends one message to the host and resolves with its answer,
// {result, message}. The port keeps the background alive while Zavelon's
// New Task window is open, which a one-off message would not.
function askZavelon(url) {
  return new Promise((resolve) => {
    let port;
    try {
      port = api.runtime.connectNative(HOST_NAME);
    } catch (error) {
      resolve({ result: "error", message: `Zavelon could not be reached: ${error.message || error}` });
      return;
    }
    let answered = false;
    port.onMessage.addListener((reply) => {
      answered = true;
      port.disconnect();
      resolve(reply);
    });
    port.onDisconnect.addListener((closed) => {
      // Chromium tells why in runtime.lastError, Firefox in the port.
      const error = (closed && closed.error) || api.runtime.lastError;
      if (answered)
        return;
      const reason = error && error.message ? error.message : "its host ended without an answer";
      resolve({ result: "error", message: `Zavelon could not be reached: ${reason}` });
    });
    port.postMessage({ url });
  });
}

async function showResult(reply) {
  const result = reply && reply.result;
  const message = (reply && reply.message) || "";
  try {
    await api.action.setTitle({ title: message ? `Zavelon: ${message}` : "Zavelon" });
    if (result === "started") {
      await api.action.setBadgeBackgroundColor({ color: "#2e7d32" });
      await api.action.setBadgeText({ text: "OK" });
    } else if (result === "cancelled") {
      await api.action.setBadgeText({ text: "" });
    } else {
      await api.action.setBadgeBackgroundColor({ color: "#c62828" });
      await api.action.setBadgeText({ text: "!" });
      await api.notifications.create({
        type: "basic",
        iconUrl: api.runtime.getURL("icons/zavelon-48.png"),
        title: result === "refused" ? "Zavelon did not start the task" : "Zavelon",
        message: message || "Zavelon gave no answer.",
      });
    }
  } catch (error) {
    console.warn("Zavelon: cannot show the result:", error);
  }
}

// The menu entry's handler; resolves with Zavelon's answer.
async function handleMenuClick(info, tab) {
  if (info.menuItemId !== MENU_ID)
    return null;
  const url = chosenAddress(info);
  const reply = url
    ? await askZavelon(url)
    : { result: "error", message: "There is no address to hand to Zavelon here." };
  await showResult(reply);
  return reply;
}

api.contextMenus.onClicked.addListener(handleMenuClick);
