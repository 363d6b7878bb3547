// The window.chrome.webview object, installed in every frame's main world
// before any other script runs. The source evaluates to a function that takes
// the native sender of page messages and returns the dispatcher of host
// messages; both stay out of the page's reach.
#pragma once

namespace zel::webkit {

inline constexpr const char* kWebViewShimSource = R"js(
(function (send) {
  'use strict';
  const parse = JSON.parse;
  const stringify = JSON.stringify;
  const dispatch = EventTarget.prototype.dispatchEvent;
  const Message = MessageEvent;
  class WebView extends EventTarget {
    postMessage(message) {
      const json = stringify(message);
      send(json === undefined ? 'null' : json);
    }
  }
  const webview = new WebView();
  let chrome = window.chrome;
  if (typeof chrome !== 'object' || chrome === null) {
    chrome = {};
    Object.defineProperty(window, 'chrome', {value: chrome, writable: true, configurable: true});
  }
  Object.defineProperty(chrome, 'webview', {value: webview, enumerable: true});
  return function (json) {
    dispatch.call(webview, new Message('message', {data: parse(json)}));
  };
})
)js";

}  // namespace zel::webkit
