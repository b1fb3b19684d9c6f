// The page's WebGL calls counted from outside the program: every method of every WebGL context the page
// makes is wrapped, and each animation frame records its calls, its draws and the show's clock after
// it. Shared by the page's tests and its benchmark.

// Runs in the page ahead of its scripts (openPage's `before`). window.webgl.frames holds
// [start (ms), WebGL calls, draw calls, the show's clock, the frame's time on the main thread (ms)] for
// every animation frame.
export function countWebGL() {
  const counts = (window.webgl = { calls: 0, draws: 0, frames: [] });
  const draws = new Set(["drawArrays", "drawElements"]);
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    const context = getContext.call(this, kind, ...rest);
    if (!context || !/webgl/.test(kind) || context.counted)
      return context;
    for (const name of Object.getOwnPropertyNames(Object.getPrototypeOf(context))) {
      const method = context[name];
      if (typeof method !== "function" || name === "constructor")
        continue;
      context[name] = function (...args) {
        counts.calls++;
        if (draws.has(name))
          counts.draws++;
        return method.apply(this, args);
      };
    }
    context.counted = true;
    return context;
  };
  const frame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => frame((time) => {
    const [start, calls, drawn] = [performance.now(), counts.calls, counts.draws];
    callback(time);
    if (typeof Module !== "undefined" && Module._showTime)
      counts.frames.push([start, counts.calls - calls, counts.draws - drawn, Module._showTime(), performance.now() - start]);
  });
}

// Frames a second, the longest gap between frames after the scene's first second, the most and the mean
// WebGL and draw calls, and the median time on the main thread, of the frames whose clock lies in [from, to).
export function sceneFigures(frames, from, to) {
  const inside = frames.filter(([, , , time]) => time >= from && time < to);
  const settled = inside.filter(([, , , time]) => time >= from + 1);
  const gaps = settled.slice(1).map(([start], i) => start - settled[i][0]);
  const mean = (k) => inside.reduce((sum, f) => sum + f[k], 0) / inside.length;
  return {
    frames: inside.length,
    fps: (inside.length - 1) / ((inside.at(-1)[0] - inside[0][0]) / 1000),
    worst: Math.max(...gaps),
    calls: mean(1), draws: mean(2), ownMs: inside.map((f) => f[4]).sort((a, b) => a - b)[inside.length >> 1],
    mostCalls: Math.max(...inside.map((f) => f[1])), mostDraws: Math.max(...inside.map((f) => f[2])),
  };
}
