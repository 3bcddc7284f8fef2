// The page of one device (/device/N): fetches the station's status every
// second and brings the device's card up to date, touching only what changed,
// with what the device decodes of its station's RDS; says so at once when the
// station stops answering.
"use strict";

const valueNames = ["MAX", "MAX Hold", "AVE", "Pilot", "RDS", "Pm", "Level", "Signal Quality",
                    "PI", "Time Error"];
const link = document.getElementById("link");
const uptime = document.getElementById("uptime");
const devices = document.getElementById("devices");
const shownDevice = Number(location.pathname.split("/")[2]);
const cards = new Map(); // device index -> its card's elements
let lastAnswer = null;
let tick = 0;

const rdsFields = [["PS", "ps"], ["RadioText", "radiotext"], ["PTY", "pty"], ["TP / TA", "tpta"],
                   ["PI / ECC", "piecc"], ["AF", "af"], ["Groups", "groups"],
                   ["Block errors", "errors"]];

// The decoded RDS as the card shows it, field by field.
function rdsTexts(r) {
  if (!r) return {};
  const flag = v => v === null ? "–" : v ? "yes" : "no";
  const af = [...r.af.same_mhz, ...r.af.regional_mhz].map(f => f.toFixed(1)).join(" ");
  return {
    ps: r.ps || "–",
    radiotext: r.radiotext || "–",
    pty: r.pty === null ? "–" : r.pty + (r.pty_name ? " " + r.pty_name : ""),
    tpta: flag(r.tp) + " / " + flag(r.ta),
    piecc: (r.pi || "–") + " / " + (r.ecc || "–") + (r.country ? " " + r.country : ""),
    af: af || "–",
    groups: Object.entries(r.group_counts).map(([t, n]) => t + ": " + n).join(", ") || "–",
    errors: r.block_error_percent === null ? "–" : r.block_error_percent.toFixed(1) + " %",
  };
}

function modeText(d) {
  const modes = [];
  if (d.measuring) modes.push("measuring");
  if (d.rds) modes.push("RDS");
  return modes.length ? modes.join(" + ") : "idle";
}

function buildCard(d) {
  const c = {values: new Map(), alarms: new Map(), activityText: null};
  c.card = element("section", "device");
  c.card.id = "device-" + d.index;
  c.card.setAttribute("aria-label", d.name);
  const title = element("h2", null, d.name + " ");
  c.connection = element("span", "state");
  c.connection.dataset.field = "connection";
  title.append(c.connection);
  c.station = element("p", "station");
  c.station.dataset.field = "station";
  c.card.append(title, c.station);

  const table = element("table", "values");
  for (const name of ["Measuring countdown", "RDS countdown", ...valueNames]) {
    const tr = element("tr");
    const td = element("td");
    td.dataset.value = name;
    tr.append(element("th", null, name), td);
    table.append(tr);
    c.values.set(name, td);
  }
  c.card.append(table);

  const alarms = element("ul", "alarms");
  alarms.setAttribute("aria-label", "Alarms");
  for (const a of d.alarms) {
    const li = element("li", null, a.name);
    li.dataset.kind = a.kind;
    alarms.append(li);
    c.alarms.set(a.kind, li);
  }
  c.card.append(alarms);

  const rds = element("dl", "rds");
  rds.setAttribute("aria-label", "RDS");
  c.rds = new Map();
  for (const [title, key] of rdsFields) {
    const dd = element("dd");
    dd.dataset.rds = key;
    rds.append(element("dt", null, title), dd);
    c.rds.set(key, dd);
  }
  c.card.append(rds);

  // Only the cards in view fetch their picture.
  c.picture = element("img", "histogram");
  c.picture.loading = "lazy";
  c.picture.alt = "Deviation histogram of " + d.name;
  c.picture.width = 480;
  c.picture.height = 300;
  c.activity = element("ol", "activity");
  c.activity.setAttribute("aria-label", "Recent activity");
  c.card.append(c.picture, c.activity);
  return c;
}

function updateCard(c, d) {
  setText(c.connection, d.connected ? "connected" : "not connected");
  c.connection.className = "state " + (d.connected ? "up" : "down");
  const station = d.station
    ? d.station.name + " — " + d.station.frequency_mhz + " MHz — " + modeText(d)
    : "no station";
  setText(c.station, station + (d.paused ? " (paused)" : ""));
  setText(c.values.get("Measuring countdown"), String(d.countdowns.measuring));
  setText(c.values.get("RDS countdown"), String(d.countdowns.rds));
  for (const name of valueNames)
    setText(c.values.get(name), d.values[name] === null ? "–" : d.values[name]);
  for (const a of d.alarms) {
    const li = c.alarms.get(a.kind);
    if (li.dataset.state !== a.state) li.dataset.state = a.state;
    li.className = a.enabled ? "enabled" : "disabled";
    li.title = a.name + ": " + a.state + (a.enabled ? "" : " (disabled)");
  }
  const rdsShown = rdsTexts(d.rds_decoded);
  for (const [key, dd] of c.rds) setText(dd, rdsShown[key] || "–");
  const activityText = d.activity.join("\n");
  if (activityText !== c.activityText) {
    c.activityText = activityText;
    c.activity.replaceChildren(...d.activity.map(line => element("li", null, line)));
  }
  // The histogram is drawn by the station: fetched again every tenth second.
  if (!c.picture.src || tick % 10 === 0)
    c.picture.src = "/device/" + d.index + "/histogram.png?width=480&height=300&t=" + tick;
}

function show(status) {
  const shown = status.devices.filter(d => d.index === shownDevice);
  if (cards.size !== shown.length) {
    cards.clear();
    for (const d of shown) cards.set(d.index, buildCard(d));
    devices.replaceChildren(...[...cards.values()].map(c => c.card));
  }
  for (const d of shown) updateCard(cards.get(d.index), d);
  setText(uptime, "Up " + status.uptime);
}

async function refresh() {
  tick += 1;
  try {
    const response = await api("/api/v1/status");
    if (!response.ok) throw new Error("HTTP " + response.status);
    show(await response.json());
    lastAnswer = new Date();
    link.dataset.state = "live";
    setText(link, "Live — " + lastAnswer.toLocaleTimeString());
    document.body.classList.remove("lost");
  } catch (e) {
    link.dataset.state = "lost";
    setText(link, "The station is not answering" +
      (lastAnswer ? " since " + lastAnswer.toLocaleTimeString() : "") + " (" + e.message + ")");
    document.body.classList.add("lost");
  }
}

refresh();
setInterval(refresh, 1000);
