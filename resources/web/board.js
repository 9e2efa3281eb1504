// Keeps the board page current: each event of /events carries the whole
// board, which replaces the rows. Texts are set as text, never as HTML.
"use strict";
(function () {
    const body = document.body;
    const table = document.getElementById("board");
    const rows = document.getElementById("rows");
    const problem = document.getElementById("problem");
    const changed = document.getElementById("changed");
    const clock = document.getElementById("clock");

    function cell(row, text) {
        const td = document.createElement("td");
        td.textContent = text;
        row.appendChild(td);
    }

    function show(board) {
        changed.textContent = board.changed ? "Last change: " + board.changed : "";
        if (board.error !== null) {
            problem.textContent = "The board cannot be read: " + board.error;
            problem.hidden = false;
            table.hidden = true;
            return;
        }
        const fresh = document.createDocumentFragment();
        for (const user of board.users) {
            const row = document.createElement("tr");
            const imageCell = document.createElement("td");
            const image = document.createElement("img");
            image.src = "/images/" + Number(user.image) + ".svg";
            image.alt = "";
            image.width = 16;
            image.height = 16;
            imageCell.appendChild(image);
            row.appendChild(imageCell);
            for (const text of [user.user, user.status, user.extension, user.department, user.comments])
                cell(row, text);
            fresh.appendChild(row);
        }
        rows.replaceChildren(fresh);
        problem.hidden = true;
        table.hidden = false;
    }

    function connect() {
        const department = body.dataset.department;
        const query = department === undefined ? "" : "?department=" + encodeURIComponent(department);
        const source = new EventSource("/events" + query);
        source.onmessage = (event) => show(JSON.parse(event.data));
        // The browser reconnects by itself after a dropped stream, but not
        // after a refusal (too many streams, server restarting): try again later.
        source.onerror = () => {
            if (source.readyState === EventSource.CLOSED)
                setTimeout(connect, 10000);
        };
    }

    if (clock) {
        const tick = () => {
            clock.textContent = new Date().toLocaleTimeString([], { hour: "2-digit", minute: "2-digit" });
        };
        tick();
        setInterval(tick, 1000);
    }
    if (window.EventSource)
        connect();
})();
