// The overview: one compact row per device, refreshed every second in place
// (only the cells whose text changed are touched, for hundreds of rows), and
// sorted by any column the viewer clicks.
"use strict";

const valueNames = ["MAX", "Pilot", "RDS", "Level", "Signal Quality"];
const table = document.getElementById("overview");
const head = table.tHead.rows[0];
const body = table.tBodies[0];
const link = document.getElementById("link");
const rows = new Map(); // device index -> {tr, cells, sortKeys}
let kinds = [];
let sortColumn = "index";
let sortDescending = false;

function columns() {
  return [["index", "#"], ["name", "Device"], ["connected", "Link"], ["station", "Station"],
          ["mode", "Mode"], ["countdown", "Countdown"],
          ...valueNames.map(v => ["value:" + v, v]),
          ...kinds.map(k => ["alarm:" + k.kind, k.name])];
}

function buildHead() {
  head.replaceChildren(...columns().map(([key, title]) => {
    const th = element("th", null);
    const button = element("button", "sort", title);
    button.type = "button";
    button.setAttribute("aria-label", "Sort by " + title);
    button.addEventListener("click", () => {
      sortDescending = sortColumn === key ? !sortDescending : false;
      sortColumn = key;
      sortRows();
    });
    th.dataset.column = key;
    th.append(button);
    return th;
  }));
}

function buildRow(d) {
  const tr = element("tr");
  tr.id = "row-" + d.index;
  const cells = new Map();
  for (const [key] of columns()) {
    const td = element("td");
    td.dataset.column = key;
    if (key === "name") {
      const a = element("a", null, d.name);
      a.href = "/device/" + d.index;
      td.append(a);
    }
    cells.set(key, td);
    tr.append(td);
  }
  return {tr, cells, keys: new Map()};
}

function valueText(q) {
  return q === null ? "–" : q.value + (q.unit ? " " + q.unit : "");
}

function updateRow(r, d) {
  const station = d.station ? d.station.frequency_mhz + " " + d.station.name : "–";
  const shown = {
    index: [String(d.index), d.index],
    connected: [d.connected ? "up" : "down", d.connected ? 1 : 0],
    station: [station, station],
    mode: [d.mode + (d.paused ? " (paused)" : ""), d.mode],
    countdown: [String(d.countdown), d.countdown],
  };
  for (const v of valueNames) {
    const q = d.values[v];
    shown["value:" + v] = [valueText(q), q === null ? -Infinity : q.value];
  }
  for (const k of kinds) {
    const state = d.alarms[k.kind] || "off";
    const td = r.cells.get("alarm:" + k.kind);
    if (td.dataset.state !== state) {
      td.dataset.state = state;
      td.title = k.name + ": " + state;
      td.setAttribute("aria-label", k.name + ": " + state);
    }
    r.keys.set("alarm:" + k.kind, ["disabled", "off", "pending", "active"].indexOf(state));
  }
  for (const [key, [text, sortKey]] of Object.entries(shown)) {
    setText(r.cells.get(key), text);
    r.keys.set(key, sortKey);
  }
  r.cells.get("connected").className = d.connected ? "up" : "down";
  r.keys.set("name", d.name);
}

function sortRows() {
  const ordered = [...rows.values()].sort((a, b) => {
    const x = a.keys.get(sortColumn), y = b.keys.get(sortColumn);
    const order = x < y ? -1 : x > y ? 1 : a.keys.get("index") - b.keys.get("index");
    return sortDescending ? -order : order;
  });
  // Only rows out of place move.
  ordered.forEach((r, i) => {
    if (body.rows[i] !== r.tr) body.insertBefore(r.tr, body.rows[i] || null);
  });
  for (const th of head.cells)
    th.setAttribute("aria-sort", th.dataset.column !== sortColumn ? "none"
                                 : sortDescending ? "descending" : "ascending");
}

function show(overview) {
  const kindsText = JSON.stringify(overview.alarm_kinds);
  if (kindsText !== JSON.stringify(kinds) || rows.size !== overview.devices.length) {
    kinds = overview.alarm_kinds;
    buildHead();
    rows.clear();
    for (const d of overview.devices) rows.set(d.index, buildRow(d));
    body.replaceChildren(...[...rows.values()].map(r => r.tr));
  }
  for (const d of overview.devices) updateRow(rows.get(d.index), d);
  document.getElementById("empty").hidden = overview.devices.length > 0;
  sortRows();
}

async function refresh() {
  try {
    const response = await api("/api/v1/overview");
    if (!response.ok) throw new Error("HTTP " + response.status);
    show(await response.json());
    link.dataset.state = "live";
    setText(link, "Live — " + new Date().toLocaleTimeString());
  } catch (e) {
    link.dataset.state = "lost";
    setText(link, "The station is not answering (" + e.message + ")");
  }
}

currentSession().then(showSession).catch(() => {});
refresh();
setInterval(refresh, 1000);
