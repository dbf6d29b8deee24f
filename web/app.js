// SPDX-License-Identifier: GPL-3.0-or-later
// Binds the page to the WebAssembly module (teglomer.js): its events go to
// the window's own handlers, compiled from C++, which read and write the
// page's elements. The page itself, its texts and its look are written at
// build time from the design table; nothing of them is repeated here.
'use strict';
(() => {
  const byId = (id) => document.getElementById(id);
  const win = byId('window');

  // A caption wider than its face (a browser may stand in a wider font for
  // the design's) is drawn smaller, a step at a time, as the window does.
  // Faces not shown yet are fitted when they show, each from the design's
  // size. In one column (a narrow screen, style.css) captions wrap instead
  // and keep that size, also when the screen narrows after fitting.
  const column = matchMedia(win.dataset.column);
  const fitCaptions = () => {
    const step = Number(win.dataset.fitStep);
    const smallest = Number(win.dataset.fitSmallest);
    for (const face of win.querySelectorAll('.fit')) {
      face.style.fontSize = '';
      if (column.matches || !face.getClientRects().length) continue;
      const caption = document.createRange();
      caption.selectNodeContents(face);
      const fits = () => {
        const s = getComputedStyle(face);
        const r = caption.getBoundingClientRect();
        return r.width <= face.clientWidth - parseFloat(s.paddingLeft) - parseFloat(s.paddingRight) &&
          r.height <= face.clientHeight - parseFloat(s.paddingTop) - parseFloat(s.paddingBottom);
      };
      // Points, as the design gives the font.
      for (let size = parseFloat(getComputedStyle(face).fontSize) * 0.75 - step;
        !fits() && size >= smallest; size -= step) {
        face.style.fontSize = `${size}pt`;
      }
    }
  };
  fitCaptions();
  column.addEventListener('change', fitCaptions);
  // A caption that changes size (spaced out by the reader's own style, in a
  // font that came late) is fitted again, in the next frame: a size changed
  // while sizes are being reported would be reported as an error.
  let refit = 0;
  const resized = new ResizeObserver(() => {
    cancelAnimationFrame(refit);
    refit = requestAnimationFrame(fitCaptions);
  });
  for (const caption of win.querySelectorAll('.fit > span')) resized.observe(caption);

  // The number format of the browser's language, as the window follows
  // the system's regional settings.
  const decimal = new Intl.NumberFormat().formatToParts(1.5).find((p) => p.type === 'decimal').value;

  // The warning is modal; when it closes the focus goes back where it was.
  const dialog = byId('warning');
  let returnTo = null;
  dialog.addEventListener('close', () => {
    if (returnTo && returnTo.isConnected) returnTo.focus();
    returnTo = null;
  });
  byId('warning-ok').addEventListener('click', () => dialog.close());
  // Its one button keeps the focus, as a message box's does: Tab does not
  // wander to the browser's own controls, after which Enter would not close it.
  dialog.addEventListener('keydown', (e) => {
    if (e.key !== 'Tab') return;
    e.preventDefault();
    byId('warning-ok').focus();
  });

  // What the module asks of the page, and calls back.
  const page = {
    decimalSeparator: decimal,
    // A new text node each time, so a screen reader speaks a message the
    // same as the last one too.
    announce(text) {
      byId('announcer').replaceChildren(text);
    },
    warn(message) {
      byId('warning-message').textContent = message;
      if (dialog.open) return;
      returnTo = document.activeElement;
      dialog.showModal();
    },
  };

  createTeglomer({ page }).then((module) => {
    module._teglomer_load();
    // The options make one choice, as the window's group does: checking one
    // (by click, Space or an arrow key) lets the others go. The form itself
    // only ever unchecks, which raises no event.
    const options = [...win.querySelectorAll('input[type=radio]')];
    for (const option of options) {
      option.addEventListener('change', () => {
        if (!option.checked) return;
        for (const other of options) if (other !== option) other.checked = false;
        module._teglomer_option(Number(option.value));
        fitCaptions();
      });
      // An arrow key moves to the nearest option that way, and chooses it
      // when the one it leaves was chosen; past the last nothing happens.
      option.addEventListener('keydown', (e) => {
        const way = { ArrowUp: [0, -1], ArrowDown: [0, 1], ArrowLeft: [-1, 0], ArrowRight: [1, 0] }[e.key];
        if (!way || e.altKey || e.ctrlKey || e.metaKey || e.shiftKey) return;
        e.preventDefault();
        const centre = (o) => {
          const r = o.parentElement.getBoundingClientRect();
          return [r.left + r.width / 2, r.top + r.height / 2];
        };
        const [x, y] = centre(option);
        let next = null;
        let nearest = Infinity;
        for (const other of options) {
          if (other === option || !other.getClientRects().length) continue;
          const [ox, oy] = centre(other);
          const distance = (ox - x) ** 2 + (oy - y) ** 2;
          if ((ox - x) * way[0] + (oy - y) * way[1] > 0 && distance < nearest) {
            next = other;
            nearest = distance;
          }
        }
        if (!next) return;
        next.focus();
        if (option.checked) next.click();
      });
    }
    // Push buttons, and Enter in an input box, run their command.
    for (const el of win.querySelectorAll('[data-command]')) {
      const run = () => {
        module._teglomer_command(Number(el.dataset.command));
        performance.mark('teglomer-report');
      };
      if (el.tagName === 'BUTTON') {
        el.addEventListener('click', run);
      } else {
        el.addEventListener('keydown', (e) => {
          if (e.key !== 'Enter' || e.isComposing) return;
          e.preventDefault();
          run();
        });
      }
    }
    document.documentElement.dataset.ready = '1';
    performance.mark('teglomer-ready');
    if ('serviceWorker' in navigator) {
      const kept = navigator.serviceWorker.controller;
      navigator.serviceWorker.register('sw.js')
        // A page already kept asks at once whether a new build is out, rather
        // than when the browser gets round to it; offline there is none to get.
        .then((registration) => kept && registration.update()).catch(() => {});
    }
    (window.requestIdleCallback || setTimeout)(() => module._teglomer_warm());
  });
})();
