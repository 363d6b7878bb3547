// Points the media of local pages at the media relay. WebKitGTK's media
// player refuses app: addresses, so the src of <video>, <audio> and
// <source> elements that resolves to a local address is replaced by the
// relay's address of the same file, however the page sets it: in markup,
// through the src property, setAttribute or new Audio(). What the page reads
// back (src, currentSrc, getAttribute) is what it would have read without
// the relay. The source evaluates to a function that takes the relay's base
// address for this page.
#pragma once

namespace zel::webkit {

inline constexpr const char* kMediaShimSource = R"js(
(function (base) {
  'use strict';
  const Media = HTMLMediaElement, Source = HTMLSourceElement, Url = URL;
  const setAttr = Element.prototype.setAttribute;
  const getAttr = Element.prototype.getAttribute;
  const written = new WeakMap();
  const isMedia = (el) => el instanceof Media || el instanceof Source;
  const isSrc = (name) => String(name).toLowerCase() === 'src';
  function toRelay(value) {
    let url;
    try { url = new Url(String(value), document.baseURI); } catch (e) { return null; }
    if ((url.protocol !== 'app:' && url.protocol !== 'file:') || url.host !== '') return null;
    return base + url.pathname.replace(/^\/+/, '') + url.search + url.hash;
  }
  function fromRelay(value) {
    return typeof value === 'string' && value.startsWith(base)
        ? 'app:///' + value.slice(base.length) : value;
  }
  function relayed(el, value) {
    const target = toRelay(value);
    if (target === null) { written.delete(el); return value; }
    written.set(el, String(value));
    return target;
  }
  function rewrite(el) {
    const value = getAttr.call(el, 'src');
    if (value !== null && !value.startsWith(base)) {
      const target = relayed(el, value);
      if (target !== value) setAttr.call(el, 'src', target);
    }
  }
  for (const proto of [Media.prototype, Source.prototype]) {
    const src = Object.getOwnPropertyDescriptor(proto, 'src');
    Object.defineProperty(proto, 'src', {
      configurable: true, enumerable: src.enumerable,
      get() { return fromRelay(src.get.call(this)); },
      set(value) { src.set.call(this, relayed(this, value)); }
    });
  }
  const current = Object.getOwnPropertyDescriptor(Media.prototype, 'currentSrc');
  Object.defineProperty(Media.prototype, 'currentSrc', {
    configurable: true, enumerable: current.enumerable,
    get() { return fromRelay(current.get.call(this)); }
  });
  Element.prototype.setAttribute = function setAttribute(name, value) {
    if (isMedia(this) && isSrc(name)) value = relayed(this, value);
    return setAttr.call(this, name, value);
  };
  Element.prototype.getAttribute = function getAttribute(name) {
    const value = getAttr.call(this, name);
    if (value !== null && isMedia(this) && isSrc(name) && value.startsWith(base) &&
        written.has(this))
      return written.get(this);
    return value;
  };
  function scan(node) {
    if (node.nodeType === 1 && isMedia(node)) rewrite(node);
    if (node.querySelectorAll)
      for (const el of node.querySelectorAll('video, audio, source')) rewrite(el);
  }
  function observe(root) {
    new MutationObserver((records) => {
      for (const r of records) {
        if (r.type === 'attributes') { if (isMedia(r.target)) rewrite(r.target); }
        else for (const node of r.addedNodes) scan(node);
      }
    }).observe(root, {childList: true, subtree: true, attributes: true, attributeFilter: ['src']});
  }
  observe(document);
  const attachShadow = Element.prototype.attachShadow;
  Element.prototype.attachShadow = {
    attachShadow(init) {
      const root = attachShadow.call(this, init);
      observe(root);
      return root;
    }
  }.attachShadow;
  const NativeAudio = window.Audio;
  const Audio = function Audio(src) {
    const audio = new NativeAudio();
    if (arguments.length > 0 && src !== undefined) audio.src = src;
    return audio;
  };
  Audio.prototype = NativeAudio.prototype;
  Object.defineProperty(window, 'Audio', {value: Audio, writable: true, configurable: true});
})
)js";

}  // namespace zel::webkit
