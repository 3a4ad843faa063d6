// The live preview: each change asks the server for the report, at most one
// request at a time; edits made meanwhile are sent together when it returns,
// and only the newest answer is shown.
import * as api from './api.js';

window.designerTimings = [];

export class Previewer {
  constructor({ text, onResult, onError, onTiming, delay = 100 }) {
    Object.assign(this, { text, onResult, onError, onTiming, delay });
    this.timer = null; this.busy = false; this.again = false;
  }
  request() {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.send(), this.delay);
  }
  async send() {
    if (this.busy) { this.again = true; return; }
    this.busy = true;
    const text = this.text();
    const t0 = performance.now();
    try {
      const r = await api.preview(text);
      const ms = Math.round(performance.now() - t0);
      window.designerTimings.push(ms);
      this.onTiming(ms);
      if (!this.again) this.onResult(r, text);
    } catch (e) {
      if (!this.again) this.onError(e, text);
    } finally {
      this.busy = false;
      if (this.again) { this.again = false; this.send(); }
    }
  }
}
