int vt_host_placeholder = 0;
