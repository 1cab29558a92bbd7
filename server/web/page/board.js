// The live draft board: one WebSocket to "live" beside this page (so the
// page works under any path prefix), a whole snapshot first, then updates.
// Every text from the server goes into the page as text, never as markup.
'use strict';

(function () {
  const UP_NEXT = 4;
  const RECENT = 4;
  const CHAT_SHOWN = 100;
  const SILENT_MS = 60000;  // the server sends a heartbeat every 20 s
  const BACKOFF_MS = [1000, 2000, 4000, 8000, 15000, 30000];

  const state = { league: '', order: null, picks: new Map(), clock: { state: 'idle' }, next: null, chat: [] };
  let clockAt = 0;  // performance.now() when the clock's seconds were sent
  let socket = null;
  let attempt = 0;
  let lastMessage = 0;
  let retryTimer = 0;

  const $ = (id) => document.getElementById(id);
  const el = (tag, cls, text) => {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  };
  const label = (r, s) => r + '-' + s;
  const teamName = (n) => (state.order && state.order.names[n - 1]) || '';
  const ownerOf = (r, s) => {
    const round = state.order && state.order.owners[r - 1];
    return round ? round[s - 1] || 0 : 0;
  };

  // The team heading column s: its owner in the order's first round.
  const columnTeam = (s) => (state.order && state.order.columns && state.order.columns[s - 1]) || 0;

  // ---- the connection -------------------------------------------------
  function liveUrl() {
    const url = new URL('live', window.location.href);
    url.protocol = url.protocol === 'https:' ? 'wss:' : 'ws:';
    url.search = '';
    url.hash = '';
    return url.href;
  }

  function showStatus(live, text) {
    const status = $('status');
    status.textContent = text;
    status.className = 'status ' + (live ? 'live' : 'down');
    $('offline').hidden = live;
    document.body.classList.toggle('stale', !live);
  }

  function connect() {
    clearTimeout(retryTimer);
    showStatus(false, attempt ? 'Reconnecting\u2026' : 'Connecting\u2026');
    let ws;
    try {
      ws = new WebSocket(liveUrl());
    } catch (e) {
      retry();
      return;
    }
    socket = ws;
    ws.onopen = () => {
      lastMessage = performance.now();
    };
    ws.onmessage = (event) => {
      if (ws !== socket) return;
      lastMessage = performance.now();
      let message;
      try {
        message = JSON.parse(event.data);
      } catch (e) {
        return;
      }
      if (message.t === 'snapshot') {
        attempt = 0;
        showStatus(true, 'Live');
        applySnapshot(message);
      } else if (message.t === 'update') {
        applyUpdate(message);
      }
    };
    ws.onclose = () => {
      if (ws === socket) retry();
    };
  }

  function retry() {
    socket = null;
    const base = BACKOFF_MS[Math.min(attempt, BACKOFF_MS.length - 1)];
    attempt += 1;
    const wait = Math.round(base * (0.75 + Math.random() * 0.5));
    showStatus(false, 'Not live \u2013 retrying in ' + Math.ceil(wait / 1000) + ' s');
    retryTimer = setTimeout(connect, wait);
  }

  // A connection that has said nothing for a minute is dead (a laptop that
  // slept, a proxy that dropped it): start again.
  setInterval(() => {
    if (socket && socket.readyState === WebSocket.OPEN && performance.now() - lastMessage > SILENT_MS) {
      const dead = socket;
      socket = null;
      dead.close();
      retry();
    }
  }, 5000);

  // ---- the state ------------------------------------------------------
  function applySnapshot(m) {
    state.league = m.league || '';
    state.order = m.order;
    state.picks = new Map();
    for (const p of m.picks || []) state.picks.set(p.n, p);
    setClock(m.clock);
    state.next = m.next;
    state.chat = (m.chat || []).slice(-CHAT_SHOWN);
    renderAll();
  }

  function applyUpdate(m) {
    if (m.order) state.order = m.order;
    for (const p of m.picks || []) state.picks.set(p.n, p);
    for (const n of m.deleted || []) state.picks.delete(n);
    if (m.clock) setClock(m.clock);
    if (m.next) state.next = m.next;
    if (m.chat) state.chat = state.chat.concat(m.chat).slice(-CHAT_SHOWN);
    if (m.order || m.picks || m.deleted) renderBoard();
    if (m.order || m.picks || m.deleted || m.clock || m.next) renderSide();
    if (m.chat) renderChat();
  }

  function setClock(clock) {
    state.clock = clock || { state: 'idle' };
    clockAt = performance.now();
  }

  const newestPick = () => {
    let newest = null;
    for (const p of state.picks.values()) if (!newest || p.n > newest.n) newest = p;
    return newest;
  };
  const byLabel = () => {
    const cells = new Map();
    for (const p of state.picks.values()) {
      const key = label(p.r, p.s);
      const had = cells.get(key);
      if (!had || had.n < p.n) cells.set(key, p);
    }
    return cells;
  };
  const dimensions = () => {
    let rounds = state.order ? state.order.rounds : 1;
    let selections = state.order ? state.order.selections : 0;
    for (const p of state.picks.values()) {
      rounds = Math.max(rounds, p.r);
      selections = Math.max(selections, p.s);
    }
    return { rounds, selections };
  };

  // ---- drawing --------------------------------------------------------
  function renderAll() {
    const name = state.league || 'Draft board';
    $('league').textContent = name;
    document.title = name + ' \u2013 Draft board';
    renderBoard();
    renderSide();
    renderChat();
  }

  function playerBlock(p, newest) {
    const cell = el('div', 'pick' + (newest && p.n === newest.n ? ' newest' : ''));
    cell.dataset.pos = p.pos;
    const line = el('div', 'player');
    line.append(el('span', 'pos', p.pos), el('span', 'name', p.player));
    cell.append(line, el('div', 'team', p.team));
    if (p.via) cell.append(el('div', 'via', 'via ' + p.via));
    return cell;
  }

  function renderBoard() {
    const { rounds, selections } = dimensions();
    const cells = byLabel();
    const newest = newestPick();
    const onClock = state.clock.state !== 'idle' ? label(state.clock.r, state.clock.s) : '';
    const table = $('board');
    const head = el('thead');
    const headRow = el('tr');
    headRow.append(el('th', 'corner', 'Rd'));
    for (let s = 1; s <= selections; s++) {
      const th = el('th', 'column');
      th.append(el('span', 'column-number', String(s)), el('span', 'column-team', teamName(columnTeam(s))));
      headRow.append(th);
    }
    head.append(headRow);
    const body = el('tbody');
    const list = el('div', 'round-list');
    for (let r = 1; r <= rounds; r++) {
      const row = el('tr');
      row.append(el('th', 'round', String(r)));
      const section = el('section', 'round-block');
      section.append(el('h3', '', 'Round ' + r));
      const items = el('ol', 'list');
      for (let s = 1; s <= selections; s++) {
        const key = label(r, s);
        const td = el('td');
        td.dataset.label = key;
        const p = cells.get(key);
        const item = el('li', 'round-item');
        item.dataset.label = key;
        item.append(el('span', 'round-label', key));
        if (p) {
          td.append(playerBlock(p, newest));
          item.append(playerBlock(p, newest));
        } else {
          const owner = teamName(ownerOf(r, s));
          td.className = key === onClock ? 'empty on-clock' : 'empty';
          td.append(el('div', 'owner', owner));
          item.classList.add('open');
          if (key === onClock) item.classList.add('on-clock');
          item.append(el('span', 'owner', owner || '\u2014'));
        }
        row.append(td);
        items.append(item);
      }
      body.append(row);
      section.append(items);
      list.append(section);
    }
    table.style.setProperty('--cols', String(selections));
    table.replaceChildren(head, body);
    $('rounds').replaceChildren(list);
  }

  // The labels of the order after the clock's (or the next pick's) that no
  // pick has, in order.
  function upNext() {
    const { rounds, selections } = dimensions();
    const cells = byLabel();
    const from = state.clock.state !== 'idle' ? state.clock : state.next;
    const out = [];
    if (!from) return out;
    const skip = state.clock.state !== 'idle' ? label(state.clock.r, state.clock.s) : '';
    for (let r = from.r; r <= rounds && out.length < UP_NEXT; r++) {
      for (let s = r === from.r ? from.s : 1; s <= selections && out.length < UP_NEXT; s++) {
        const key = label(r, s);
        if (key === skip || cells.has(key)) continue;
        const owner = ownerOf(r, s);
        if (owner) out.push({ key, team: teamName(owner) });
      }
    }
    return out;
  }

  function renderSide() {
    const clock = state.clock;
    const card = $('clock');
    card.className = 'card clock ' + clock.state;
    if (clock.state === 'idle' || !clock.team) {
      $('clock-team').textContent = clock.state === 'paused' ? 'Paused' : 'Nobody';
      $('clock-label').textContent = state.next ? 'Next pick ' + label(state.next.r, state.next.s) : '';
    } else {
      $('clock-team').textContent = clock.team;
      $('clock-label').textContent =
        'Round ' + clock.r + ', pick ' + clock.s + (clock.state === 'commish' ? ' \u2013 the Commish selects' :
                                                    clock.state === 'paused' ? ' \u2013 paused' : '');
    }
    renderCountdown();

    const next = $('upnext');
    next.replaceChildren(...upNext().map((u) => {
      const li = el('li');
      li.append(el('span', 'label', u.key), el('span', 'team', u.team));
      return li;
    }));
    if (!next.children.length) next.append(el('li', 'none', 'No more picks in the order'));

    const recent = [...state.picks.values()].sort((a, b) => b.n - a.n).slice(0, RECENT);
    $('recent').replaceChildren(...recent.map((p, i) => {
      const li = el('li', i === 0 ? 'newest' : '');
      li.dataset.pos = p.pos;
      li.append(el('span', 'label', label(p.r, p.s)), el('span', 'pos', p.pos), el('span', 'name', p.player),
                el('span', 'team', p.team + (p.via ? ' (via ' + p.via + ')' : '')));
      return li;
    }));
    if (!recent.length) $('recent').append(el('li', 'none', 'No picks yet'));
  }

  function renderCountdown() {
    const clock = state.clock;
    const time = $('clock-time');
    if (clock.state === 'paused' && clock.team) {
      time.textContent = 'Paused \u2013 ' + clockText(clock.seconds);
      time.classList.remove('low');
      return;
    }
    if (clock.state !== 'running') {
      time.textContent = clock.state === 'commish' ? 'waiting' : '';
      time.classList.remove('low');
      return;
    }
    const left = Math.max(0, Math.ceil(clock.seconds - (performance.now() - clockAt) / 1000));
    time.textContent = clockText(left);
    time.classList.toggle('low', left <= 15);
  }
  setInterval(renderCountdown, 250);

  // 0:42, 12:05, or 5:03:00 for the long clocks of a slow draft.
  function clockText(seconds) {
    const two = (n) => String(n).padStart(2, '0');
    const h = Math.floor(seconds / 3600), m = Math.floor((seconds % 3600) / 60), s = seconds % 60;
    return h > 0 ? h + ':' + two(m) + ':' + two(s) : m + ':' + two(s);
  }

  function renderChat() {
    const chat = $('chat');
    const atBottom = chat.scrollTop + chat.clientHeight >= chat.scrollHeight - 8;
    chat.replaceChildren(...state.chat.map((line) => {
      const li = el('li');
      const at = new Date(line.at);
      li.append(el('time', '', String(at.getHours()).padStart(2, '0') + ':' + String(at.getMinutes()).padStart(2, '0')),
                el('span', 'text', line.text));
      return li;
    }));
    if (!state.chat.length) chat.append(el('li', 'none', 'No messages yet'));
    if (atBottom) chat.scrollTop = chat.scrollHeight;
  }

  // ---- the TV view ----------------------------------------------------
  function setTv(on) {
    document.body.classList.toggle('tv', on);
    $('tv').setAttribute('aria-pressed', on ? 'true' : 'false');
    try {
      window.localStorage.setItem('pickmill.tv', on ? '1' : '0');
    } catch (e) { /* storage may be off: the view still changes */ }
  }

  let tvStored = false;
  try {
    tvStored = window.localStorage.getItem('pickmill.tv') === '1';
  } catch (e) { /* as above */ }
  setTv(tvStored);
  $('tv').addEventListener('click', () => setTv(!document.body.classList.contains('tv')));

  renderAll();
  connect();
})();
