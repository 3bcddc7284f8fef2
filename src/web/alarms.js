// The alarm history, newest first, filtered by device and kind; the filter
// is kept in the address so that a link shows the same list.
"use strict";

const params = new URLSearchParams(location.search);
const deviceField = document.getElementById("device");
const kindField = document.getElementById("kind");
deviceField.value = params.get("device") || "";
kindField.value = params.get("kind") || "";

function localTime(iso) {
  return iso ? new Date(iso).toLocaleString() : "";
}

async function load() {
  const query = new URLSearchParams();
  if (deviceField.value) query.set("device", deviceField.value);
  if (kindField.value) query.set("kind", kindField.value);
  const response = await api("/api/v1/alarms?" + query);
  if (!response.ok) return;
  const rows = (await response.json()).alarms.map(a => {
    const tr = element("tr", a.active ? "active" : "");
    for (const text of [localTime(a.raised), a.active ? "active" : localTime(a.cleared), a.device,
                        a.station, a.kind, a.value, a.limit])
      tr.append(element("td", null, text || ""));
    return tr;
  });
  document.querySelector("#history tbody").replaceChildren(...rows);
}

document.getElementById("filter").addEventListener("submit", event => {
  event.preventDefault();
  const query = new URLSearchParams();
  if (deviceField.value) query.set("device", deviceField.value);
  if (kindField.value) query.set("kind", kindField.value);
  history.replaceState(null, "", "/alarms?" + query);
  load();
});

currentSession().then(showSession).catch(() => {});
load();
